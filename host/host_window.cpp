#include "host/host_window.h"

#include <commctrl.h>
#include <map>
#include <string>
#include <vector>

#include "host/personality.h"
#include "host/rich_text.h"

namespace host {

namespace {

// Per window of the host's: what it last put in front, and what its own
// procedure has heard. The one place of the host's windows' state: a window
// procedure is handed a window and no host, and an entry goes with its window.
struct OwnWindow {
    LONG_PTR procedure = 0;
    int heard = 0;
};
std::map<HWND, OwnWindow> ownWindows;

void hear(HWND hwnd, UINT message)
{
    if (message == WM_NCDESTROY)
        ownWindows.erase(hwnd);
    else
        ++ownWindows[hwnd].heard;
}

std::wstring widen(const char* cp1250)
{
    int length = MultiByteToWideChar(1250, 0, cp1250, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(1250, 0, cp1250, -1, &wide[0], length);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

WindowHandler* handlerOf(HWND hwnd, int slot) { return reinterpret_cast<WindowHandler*>(GetWindowLongPtrA(hwnd, slot)); }

// One procedure per character width: the wide one must hand what it does
// not handle to the wide default, whatever procedure sits in front of it.
template <bool Wide>
LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)  // the creation data sits at the same place in both widths
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    WindowHandler* handler = handlerOf(hwnd, GWLP_USERDATA);
    hear(hwnd, message);
    LRESULT result = 0;
    if (handler && handler->onMessage(hwnd, message, wParam, lParam, &result))
        return result;
    return Wide ? DefWindowProcW(hwnd, message, wParam, lParam) : DefWindowProcA(hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK hostDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        return FALSE;  // the focus stays where Windows puts it
    }
    hear(hwnd, message);
    WindowHandler* handler = handlerOf(hwnd, DWLP_USER);
    LRESULT result = 0;
    if (!handler || !handler->onMessage(hwnd, message, wParam, lParam, &result))
        return FALSE;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        return static_cast<INT_PTR>(result);  // these answer directly, not through DWLP_MSGRESULT
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

// "LunetkaHost", then W for the wide class, then the background and style.
std::string className(bool wide, const WindowSpec& plan)
{
    return "LunetkaHost" + std::string(wide ? "W" : "") + "-" + std::to_string(plan.background) + "-" +
           std::to_string(plan.classStyle);
}

// The class of a kind, in either width's structure: all but its name.
template <typename WindowClass>
WindowClass classOf(const WindowSpec& plan, WNDPROC procedure)
{
    WindowClass windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.style = plan.classStyle;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = GetSysColorBrush(plan.background);
    return windowClass;
}

// A second registration of a name fails harmlessly.
void registerClassFor(bool wide, const std::string& name, const WindowSpec& plan)
{
    if (wide) {
        WNDCLASSW windowClass = classOf<WNDCLASSW>(plan, hostWindowProc<true>);
        std::wstring wideName = widen(name.c_str());
        windowClass.lpszClassName = wideName.c_str();
        RegisterClassW(&windowClass);
    } else {
        WNDCLASSA windowClass = classOf<WNDCLASSA>(plan, hostWindowProc<false>);
        windowClass.lpszClassName = name.c_str();
        RegisterClassA(&windowClass);
    }
}

// A dialog template with no controls: the header, no menu, the default
// dialog class, the title. Its size is set in pixels once it exists.
HWND createDialog(const WindowSpec& plan)
{
    DWORD style = plan.style;
    if (style & WS_CHILD)
        style |= DS_CONTROL;  // a page inside the configuration window, as a property page is
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 2, 0);
    DLGTEMPLATE* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
    header->style = style;
    header->dwExtendedStyle = plan.exStyle | WS_EX_CONTROLPARENT;
    std::wstring title = widen(plan.title);
    words.insert(words.end(), title.begin(), title.end());
    words.push_back(0);
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<DLGTEMPLATE*>(words.data()),
                                             plan.parent, hostDialogProc, reinterpret_cast<LPARAM>(plan.handler));
    if (dialog)
        SetWindowPos(dialog, nullptr, plan.x == CW_USEDEFAULT ? 0 : plan.x, plan.y == CW_USEDEFAULT ? 0 : plan.y,
                     plan.width, plan.height, SWP_NOZORDER | SWP_NOACTIVATE);
    return dialog;
}

}  // namespace

WindowKind pageKind()
{
    switch (personality()) {
    case Personality::Dialog: return WindowKind::Dialog;
    case Personality::Unicode: return WindowKind::Unicode;
    default: return WindowKind::Ansi;
    }
}

WindowKind plainKind() { return personality() == Personality::Unicode ? WindowKind::Unicode : WindowKind::Ansi; }

HWND createHostWindow(WindowKind kind, const WindowSpec& plan)
{
    HWND window = nullptr;
    if (kind == WindowKind::Dialog) {
        window = createDialog(plan);
    } else {
        bool wide = kind == WindowKind::Unicode;
        std::string name = className(wide, plan);
        registerClassFor(wide, name, plan);
        window = wide ? CreateWindowExW(plan.exStyle, widen(name.c_str()).c_str(), widen(plan.title).c_str(), plan.style,
                                        plan.x, plan.y, plan.width, plan.height, plan.parent, nullptr,
                                        GetModuleHandleA(nullptr), plan.handler)
                      : CreateWindowExA(plan.exStyle, name.c_str(), plan.title, plan.style, plan.x, plan.y, plan.width,
                                        plan.height, plan.parent, nullptr, GetModuleHandleA(nullptr), plan.handler);
    }
    if (window)
        setOwnProcedure(window, frontProcedure(window));
    return window;
}

HWND createControl(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int width,
                   int height, int controlId, DWORD exStyle)
{
    HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId));
    if (plainKind() == WindowKind::Unicode)
        return CreateWindowExW(exStyle, widen(className).c_str(), widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, x,
                               y, width, height, parent, id, GetModuleHandleA(nullptr), nullptr);
    return CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent, id,
                           GetModuleHandleA(nullptr), nullptr);
}

LONG_PTR frontProcedure(HWND window)
{
    return IsWindowUnicode(window) ? GetWindowLongPtrW(window, GWLP_WNDPROC) : GetWindowLongPtrA(window, GWLP_WNDPROC);
}

LONG_PTR ownProcedure(HWND window)
{
    auto known = ownWindows.find(window);
    return known == ownWindows.end() ? 0 : known->second.procedure;
}

void setOwnProcedure(HWND window, LONG_PTR procedure) { ownWindows[window].procedure = procedure; }

int messagesHeard(HWND window)
{
    auto known = ownWindows.find(window);
    return known == ownWindows.end() ? 0 : known->second.heard;
}

HWND makeListView(HWND parent, DWORD style, int x, int y, int width, int height)
{
    HWND list = createControl(parent, WC_LISTVIEWA, "", LVS_REPORT | style, x, y, width, height, 0, WS_EX_CLIENTEDGE);
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont(false)), 0);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    return list;
}

void addListColumn(HWND list, int index, const std::string& title, int width)
{
    LVCOLUMNA column;
    ZeroMemory(&column, sizeof column);
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = width;
    column.pszText = const_cast<char*>(title.c_str());
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

int addListRow(HWND list, const std::string& text, int image, const std::string& second)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = image;
    int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (!second.empty())
        setListText(list, row, 1, second);
    return row;
}

void setListText(HWND list, int row, int column, const std::string& text)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace host
