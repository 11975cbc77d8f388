#include "host/messenger.h"

#include <commctrl.h>
#include <stdio.h>
#include <algorithm>

#include "host/contact_table.h"
#include "host/host_error.h"
#include "host/net_icons.h"
#include "host/personality.h"
#include "host/rich_text.h"
#include "host/text_codec.h"

namespace host {

namespace {

const int MENU_CONFIGURATION = 1, MENU_LOG = 2, MENU_QUIT = 3, MENU_PLUGIN_FIRST = 100;
const int HOST_ACTION_PROPERTIES = 202, HOST_GROUP_PROPERTIES = 200;
const int HOST_ACTION_TALK = 130, HOST_GROUP_TALK = 30;
const int PAGE_LIST_WIDTH = 170;

// The host's own texts are UTF-8 in its sources; windows take Windows-1250.
std::string ansi(const char* utf8)
{
    return utf8ToCp1250(utf8);
}

// A menu item picture from an icon: 16x16, 32-bit with alpha.
HBITMAP menuBitmap(HICON icon)
{
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = -16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return bitmap;
}

// A window of the messenger's own that only Windows' default handles.
HWND plainWindow(const std::string& title, int x, int y, int width, int height)
{
    WindowSpec plan;
    plan.title = title.c_str();
    plan.x = x;
    plan.y = y;
    plan.width = width;
    plan.height = height;
    return createHostWindow(plainKind(), plan);
}

}  // namespace

bool Messenger::MainWindow::onMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND) {
        int id = LOWORD(wParam);
        if (id == MENU_CONFIGURATION)
            app.openConfiguration();
        else if (id == MENU_LOG)
            app.showLog();
        else if (id == MENU_QUIT)
            DestroyWindow(hwnd);
        else if (id >= MENU_PLUGIN_FIRST && static_cast<size_t>(id - MENU_PLUGIN_FIRST) < app.host_.actions().size())
            app.host_.actionEvent(app.host_.actions()[static_cast<size_t>(id - MENU_PLUGIN_FIRST)].id, EVENT_ACTIVATED);
        *result = 0;
        return true;
    }
    if (message == WM_SIZE && app.contacts_)
        MoveWindow(app.contacts_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    if (message == WM_DESTROY) {
        app.main_ = nullptr;
        PostQuitMessage(0);
    }
    return false;
}

bool Messenger::ConfigWindow::onMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // A page that is a dialog of its own answers the dialog navigation's
    // question for its default button, and hears that button's press.
    if (app.page_ && (message == DM_GETDEFID || message == WM_COMMAND)) {
        *result = SendMessageA(app.page_->window(), message, wParam, lParam);
        return true;
    }
    if (message != WM_CLOSE)
        return false;
    app.closeConfiguration();  // the page gives its controls back before its window goes
    *result = 0;
    return true;
}

Messenger::Messenger(StandInHost& host, const std::string& logFile) : host_(host)
{
    // Opened once: a search writes thousands of lines.
    if (!logFile.empty()) {
        logFile_.reset(fopen(logFile.c_str(), "ab"));
        if (!logFile_)
            throw HostError("cannot write log file " + logFile);
    }
    std::string title = ansi("Komunikator — kontakty");
    WindowSpec plan;
    plan.title = title.c_str();
    plan.x = plan.y = 20;
    plan.width = 300;
    plan.height = 520;
    plan.handler = &mainWindow_;
    main_ = createHostWindow(plainKind(), plan);
    if (!main_)
        throw HostError("cannot create the messenger's window");
    try {
        RECT client;
        GetClientRect(main_, &client);
        contacts_ = makeListView(main_, LVS_SINGLESEL | LVS_NOCOLUMNHEADER | LVS_SORTASCENDING, 0, 0, client.right,
                                 client.bottom);
        addListColumn(contacts_, 0, "", client.right - 24);
        fillContacts();
        buildMenu();
    } catch (...) {
        DestroyWindow(main_);  // it knows this object, which is not going to be
        throw;
    }
    // Last, when nothing can fail any more: the host calls back into this object.
    host_.onHostAction = [this](int action, int group, int contact) { onHostAction(action, group, contact); };
    host_.onLog = [this](const std::string& line) { onLogLine(line); };
}

Messenger::~Messenger()
{
    closeConfiguration();
    host_.onHostAction = nullptr;
    host_.onLog = nullptr;
    if (log_)
        DestroyWindow(log_);
    if (main_)
        DestroyWindow(main_);
}

void Messenger::fillContacts()
{
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 4, 4);
    ImageList_ReplaceIcon(images, -1, createNetworkIcon(ICON_ID_GENERAL, host_.networkPlugins()));
    std::map<int, int> imageOfNet;
    for (const NetworkPlugin& plugin : host_.networkPlugins()) {
        HICON icon = createNetworkIcon(networkIconId(plugin.net), host_.networkPlugins());
        imageOfNet[plugin.net] = ImageList_ReplaceIcon(images, -1, icon);
        DestroyIcon(icon);
    }
    SendMessageA(contacts_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    for (int row = 1; row < host_.contacts().rows(); ++row) {
        const char* name = host_.contacts().text(row, COLUMN_DISPLAY);
        int net = host_.contacts().integer(row, COLUMN_NET);
        addListRow(contacts_, name ? name : "", imageOfNet.count(net) ? imageOfNet[net] : 0);
    }
}

void Messenger::buildMenu()
{
    HMENU bar = CreateMenu();
    HMENU messenger = CreatePopupMenu();
    AppendMenuA(messenger, MF_STRING, MENU_CONFIGURATION, ansi("&Konfiguracja…").c_str());
    AppendMenuA(messenger, MF_STRING, MENU_LOG, ansi("&Dziennik").c_str());
    AppendMenuA(messenger, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(messenger, MF_STRING, MENU_QUIT, ansi("&Zakończ").c_str());
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(messenger), "&Komunikator");
    HMENU plugins = CreatePopupMenu();
    AppendMenuA(plugins, MF_STRING, MENU_CONFIGURATION, ansi("Ustawienia wtyczek…").c_str());
    AppendMenuA(plugins, MF_SEPARATOR, 0, nullptr);
    for (const Action& action : host_.actions()) {
        if (action.parent != PARENT_PLUGIN_MENU || !action.id)
            continue;
        MENUITEMINFOA item;
        ZeroMemory(&item, sizeof item);
        item.cbSize = sizeof item;
        item.fMask = MIIM_STRING | MIIM_ID;
        item.wID = MENU_PLUGIN_FIRST + static_cast<UINT>(&action - &host_.actions()[0]);
        item.dwTypeData = const_cast<char*>(action.caption.c_str());
        auto icon = host_.registeredIcons().find(action.param);
        if (icon != host_.registeredIcons().end()) {
            item.fMask |= MIIM_BITMAP;
            menuBitmaps_.emplace_back(menuBitmap(icon->second));
            item.hbmpItem = menuBitmaps_.back().get();
        }
        int count = GetMenuItemCount(plugins);
        int position = action.position >= 0 && action.position < count ? action.position : count;
        InsertMenuItemA(plugins, static_cast<UINT>(position), TRUE, &item);
    }
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(plugins), "&Wtyczki");
    SetMenu(main_, bar);
}

void Messenger::chooseMenuEntry(int actionId)
{
    for (size_t i = 0; i < host_.actions().size(); ++i) {
        if (host_.actions()[i].id == actionId && host_.actions()[i].parent == PARENT_PLUGIN_MENU) {
            SendMessageA(main_, WM_COMMAND, MAKEWPARAM(MENU_PLUGIN_FIRST + i, 0), 0);
            return;
        }
    }
    throw HostError("the menu has no entry " + std::to_string(actionId));
}

void Messenger::openConfiguration(int pageId)
{
    if (!config_) {
        WindowSpec plan;
        plan.title = "Konfiguracja";
        plan.x = 340;
        plan.y = 20;
        plan.width = 650;
        plan.height = 700;
        plan.handler = &configWindow_;
        config_ = createHostWindow(pageKind(), plan);
        pages_ = makeListView(config_, LVS_SINGLESEL | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS, 6, 6, PAGE_LIST_WIDTH,
                              640);
        addListColumn(pages_, 0, "", PAGE_LIST_WIDTH - 24);
        HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 2, 2);
        pageIds_.clear();
        for (const Action& action : host_.actions()) {
            if (action.parent != PARENT_CONFIG_PAGES || !(action.type & TYPE_PAGE_BIT))
                continue;
            auto icon = host_.registeredIcons().find(action.param);
            int image = icon == host_.registeredIcons().end() ? -1 : ImageList_ReplaceIcon(images, -1, icon->second);
            addListRow(pages_, action.text, image);
            pageIds_.push_back(action.id);
        }
        SendMessageA(pages_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    }
    if (pageIds_.empty())
        return;
    if (!pageId)
        pageId = pageIds_[0];
    page_.reset();  // the old page gives its controls back first
    page_.reset(new PageView(host_, config_, pageId, PAGE_LIST_WIDTH + 14, 6));
    if (personality() == Personality::Rebuilding) {
        // The page made again, as a toolkit does when a style changes, with
        // or without a word to the plug-in first (the host's variant).
        host_.noteKindAct(host_.variant.rebuildTellsUs
                              ? "destroyed the configuration page and made it again, with 221 first"
                              : "destroyed the configuration page and made it again, without a word first");
        if (!host_.variant.rebuildTellsUs)
            host_.page().abandon();
        page_.reset();
        page_.reset(new PageView(host_, config_, pageId, PAGE_LIST_WIDTH + 14, 6));
    }
    // The window fits the page: the list of pages beside it, nothing below.
    RECT frame = {0, 0, PAGE_LIST_WIDTH + 20 + page_->size().cx, std::max<LONG>(page_->size().cy + 12, 300)};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    SetWindowPos(config_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MoveWindow(pages_, 6, 6, PAGE_LIST_WIDTH, std::max<LONG>(page_->size().cy, 288), TRUE);
    for (size_t i = 0; i < pageIds_.size(); ++i) {
        if (pageIds_[i] != pageId)
            continue;
        LVITEMA item;
        ZeroMemory(&item, sizeof item);
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(pages_, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
    }
}

void Messenger::closeConfiguration()
{
    page_.reset();
    if (config_) {
        HWND window = config_;
        config_ = nullptr;
        DestroyWindow(window);
    }
}

void Messenger::showLog()
{
    if (!log_ || !IsWindow(log_)) {
        log_ = plainWindow("Dziennik", 20, 560, 620, 240);
        RECT client;
        GetClientRect(log_, &client);
        logText_ = createControl(log_, "EDIT", "", WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 0, client.right,
                                 client.bottom);
        SendMessageA(logText_, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont(false)), 0);
    }
    std::string all;
    for (const std::string& line : host_.log())
        all += line + "\r\n";
    SetWindowTextA(logText_, all.c_str());
}

void Messenger::onLogLine(const std::string& line)
{
    if (logFile_) {
        std::string utf8 = cp1250ToUtf8(line);
        fwrite(utf8.data(), 1, utf8.size(), logFile_.get());
        fputc('\n', logFile_.get());
        fflush(logFile_.get());  // whole lines on disk, even if the host dies
    }
    if (logText_ && IsWindow(logText_)) {
        std::string text = line + "\r\n";
        int end = GetWindowTextLengthA(logText_);
        SendMessageA(logText_, EM_SETSEL, end, end);
        SendMessageA(logText_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

void Messenger::onHostAction(int action, int group, int contact)
{
    if (action == HOST_ACTION_PROPERTIES && group == HOST_GROUP_PROPERTIES)
        openProperties(contact);
    else if (action == HOST_ACTION_TALK && group == HOST_GROUP_TALK)
        openConversation(contact);
    else
        host_.hostLog("host: action " + std::to_string(action) + " of group " + std::to_string(group) +
                      " is not supported");
}

void Messenger::openProperties(int contact)
{
    const char* name = host_.contacts().text(contact, COLUMN_DISPLAY);
    std::string title = ansi("Właściwości: ") + (name ? name : "?");
    HWND window = plainWindow(title, 360, 80, 360, 300);
    RECT client;
    GetClientRect(window, &client);
    HWND fields = makeListView(window, 0, 0, 0, client.right, client.bottom);
    addListColumn(fields, 0, "Pole", 110);
    addListColumn(fields, 1, ansi("Wartość"), client.right - 130);
    for (size_t i = 0; i < contactColumnCount; ++i) {
        const char* value = host_.contacts().text(contact, contactColumns[i].number);
        addListRow(fields, ansi(contactColumns[i].polishName), -1, value ? value : "");
    }
    host_.hostLog("host: properties of contact " + std::to_string(contact) + " opened");
}

void Messenger::openConversation(int contact)
{
    const char* name = host_.contacts().text(contact, COLUMN_DISPLAY);
    HWND window = plainWindow(name ? name : "?", 380, 120, 380, 320);
    RECT client;
    GetClientRect(window, &client);
    HWND history = createControl(window, "EDIT", "", ES_MULTILINE | ES_READONLY, 0, 0, client.right, client.bottom - 30,
                                 0, WS_EX_CLIENTEDGE);
    HWND input = createControl(window, "EDIT", "", ES_AUTOHSCROLL, 0, client.bottom - 28, client.right, 28, 0,
                               WS_EX_CLIENTEDGE);
    SendMessageA(history, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont(false)), 0);
    SendMessageA(input, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont(false)), 0);
    host_.hostLog("host: conversation with contact " + std::to_string(contact) + " opened");
}

// A message taken off the queue goes first to the configuration window's
// dialog navigation, in a host that has it, then to its window, with the
// character width of the host's windows.
void Messenger::deliver(MSG& message)
{
    if (config_ && personality() == Personality::Dialog && IsDialogMessageA(config_, &message))
        return;
    TranslateMessage(&message);
    if (plainKind() == WindowKind::Unicode)
        DispatchMessageW(&message);
    else
        DispatchMessageA(&message);
}

void Messenger::pump()
{
    MSG message;
    while (plainKind() == WindowKind::Unicode ? PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)
                                              : PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        deliver(message);
}

int Messenger::run()
{
    MSG message;
    while (IsWindow(main_) && (plainKind() == WindowKind::Unicode ? GetMessageW(&message, nullptr, 0, 0)
                                                                  : GetMessageA(&message, nullptr, 0, 0)) > 0)
        deliver(message);
    return 0;
}

}  // namespace host
