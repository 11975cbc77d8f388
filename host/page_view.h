// A configuration page drawn from the actions a plug-in declared under it:
// the info box with its icon, rich tip and description, group boxes, combos,
// the edit, the plug-in's own control in its custom slot, and buttons. What
// the user does to the controls is stored and reported as the real host does.
#pragma once

#include <windows.h>
#include <map>
#include <string>

#include "host/host_window.h"
#include "host/stand_in_host.h"

namespace host {

class PageView : private WindowHandler {
public:
    // Draws page pageId inside parent at (x, y); asks for the custom controls
    // and then sends each criteria control the refresh code.
    PageView(StandInHost& host, HWND parent, int pageId, int x, int y);
    ~PageView();  // the custom controls are given back (221) before the page goes
    PageView(const PageView&) = delete;
    PageView& operator=(const PageView&) = delete;

    HWND window() const { return page_; }
    SIZE size() const { return size_; }
    HWND control(int actionId) const;
    HWND tip() const { return tip_; }

    // What a user does, through the real controls and their notifications.
    void chooseItem(int actionId, const std::string& labelOrValue);  // Windows-1250; throws HostError
    void typeText(int actionId, const std::string& text);            // Windows-1250
    void press(int actionId);
    void showTip(bool show);

private:
    bool onMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // The page is laid out top to bottom, one placing routine per kind of action.
    struct Layout;
    struct KindRoute;
    static const KindRoute kindRoutes[];
    void build(int pageId);
    void placeGroupStart(const Action& action, Layout& layout);
    void placeGroupEnd(const Action& action, Layout& layout);
    void placeInfoImage(const Action& action, Layout& layout);
    void placeInfoText(const Action& action, Layout& layout);
    void placeCombo(const Action& action, Layout& layout);
    void placeEdit(const Action& action, Layout& layout);
    void placeCustom(const Action& action, Layout& layout);
    void placeButton(const Action& action, Layout& layout);
    std::string storedValue(const Action& action) const;
    void onCommand(int controlId, int code);
    void onMouseMove(POINT point);
    HWND addControl(int actionId, const char* className, const char* text, DWORD style, int x, int y, int width,
                    int height);

    StandInHost& host_;
    HWND page_ = nullptr;
    HWND icon_ = nullptr;
    HWND tip_ = nullptr;
    SIZE size_ = {0, 0};
    std::string tipMarkup_;
    int tipWidth_ = 300;
    bool building_ = true;
    std::map<int, int> actionOfControl_;
    std::map<int, HWND> controlOfAction_;
};

// Parameters of an action parameter text: 0x1A key "=" value ...
std::map<std::string, std::string> actionParameters(const std::string& text);

}  // namespace host
