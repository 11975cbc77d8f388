// The configuration page as the host shows it to the plug-in: the page
// window, the custom slots whose controls the plug-in makes (220) and gives
// back (221), and the refresh that shows the stored search.
#pragma once

#include <windows.h>
#include <vector>

namespace host {

class StandInHost;

// What the host asked a custom slot's control to be, and got back.
struct ControlSlot {
    int actionId = 0;
    HWND window = nullptr;
    int x = 0, y = 0;         // as sent
    int endX = 0, endY = 0;   // as handed back
};

class PageSession {
public:
    explicit PageSession(StandInHost& host) : host_(host) {}
    PageSession(const PageSession&) = delete;
    PageSession& operator=(const PageSession&) = delete;

    // A page window of the host's own, every custom slot asked for down its
    // left side, then the refresh. Returns the page.
    HWND open();
    // For a page drawn elsewhere: the window the plug-in's controls go into.
    void adopt(HWND page, bool owned);
    // The one routine that asks the plug-in for a slot's control at (x, y).
    ControlSlot requestControl(int actionId, int x, int y);
    // Each criteria control hears "refresh" (12), so the stored search shows at once.
    void refreshCriteria();
    // Gives every control back (221) while the page still exists, then closes it.
    void close();
    // Forgets the controls without a word to the plug-in (a page that goes
    // behind its back); close() then only closes the page.
    void abandon() { slots_.clear(); }

    HWND window() const { return window_; }
    const std::vector<ControlSlot>& slots() const { return slots_; }
    HWND slotControl(int actionId) const;
    // The rebuilding host's page made again (open() does it in that kind),
    // with or without 221 first as the host's variant says.
    void rebuild();

private:
    void build();

    StandInHost& host_;
    HWND window_ = nullptr;
    bool owned_ = false;
    std::vector<ControlSlot> slots_;
};

}  // namespace host
