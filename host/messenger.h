// The stand-in messenger as a program: a main window with the contact list
// and a menu (the plug-ins' entries among it), a configuration window with the
// plug-ins' pages, the windows the host opens for a contact, and its log.
#pragma once

#include <windows.h>
#include <stdio.h>
#include <memory>
#include <string>
#include <vector>

#include "host/host_window.h"
#include "host/page_view.h"
#include "host/stand_in_host.h"

namespace host {

class Messenger {
public:
    // logFile: every log line is appended there too (UTF-8); empty: none.
    Messenger(StandInHost& host, const std::string& logFile);
    ~Messenger();
    Messenger(const Messenger&) = delete;
    Messenger& operator=(const Messenger&) = delete;

    HWND mainWindow() const { return main_; }
    HWND configWindow() const { return config_; }
    PageView* page() { return page_.get(); }
    HWND logWindow() const { return log_; }

    void openConfiguration(int pageId = 0);  // 0: the first page declared
    void closeConfiguration();
    void showLog();
    // The menu entry of a plug-in, as a click on it.
    void chooseMenuEntry(int actionId);
    // Delivers whatever is waiting for this thread's windows.
    void pump();
    // Until the main window is closed.
    int run();

private:
    struct MainWindow : WindowHandler {
        explicit MainWindow(Messenger& owner) : app(owner) {}
        bool onMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        Messenger& app;
    };
    struct ConfigWindow : WindowHandler {
        explicit ConfigWindow(Messenger& owner) : app(owner) {}
        bool onMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        Messenger& app;
    };
    void deliver(MSG& message);
    void buildMenu();
    void fillContacts();
    void onHostAction(int action, int group, int contact);
    void onLogLine(const std::string& line);
    void openProperties(int contact);
    void openConversation(int contact);

    struct FileCloser {
        void operator()(FILE* file) const { fclose(file); }
    };
    struct BitmapDeleter {
        typedef HBITMAP pointer;
        void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
    };

    StandInHost& host_;
    MainWindow mainWindow_{*this};
    ConfigWindow configWindow_{*this};
    std::unique_ptr<FILE, FileCloser> logFile_;
    std::vector<std::unique_ptr<HBITMAP, BitmapDeleter>> menuBitmaps_;  // a menu does not free its pictures
    HWND main_ = nullptr, contacts_ = nullptr, config_ = nullptr, pages_ = nullptr, log_ = nullptr,
         logText_ = nullptr;
    std::unique_ptr<PageView> page_;
    std::vector<int> pageIds_;
};

}  // namespace host
