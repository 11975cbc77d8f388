// How the host makes its own windows: with the narrow calls, with the wide
// calls, or as a dialog from a template, as the personality says. Texts stay
// Windows-1250 on the host's side whatever the kind; a window of any kind
// runs the same handler, so each personality costs the host a few lines.
#pragma once

#include <windows.h>
#include <string>

namespace host {

enum class WindowKind { Ansi, Unicode, Dialog };

// The kind of the host's pages and configuration window: a dialog only in
// the dialog personality, Unicode in the unicode one.
WindowKind pageKind();
// The kind of its other windows (the messenger, a contact's windows).
WindowKind plainKind();

// A host window's own handling of a message, before Windows' default:
// true when it handled it, with the message's result in *result.
class WindowHandler {
public:
    virtual bool onMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;

protected:
    ~WindowHandler() {}
};

struct WindowSpec {
    const char* title = "";  // Windows-1250
    DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = 400, height = 300;
    HWND parent = nullptr;
    WindowHandler* handler = nullptr;  // null: Windows' default alone; must outlive the window
    int background = COLOR_BTNFACE;
    UINT classStyle = 0;
};

// Null when Windows refuses the window.
HWND createHostWindow(WindowKind kind, const WindowSpec& plan);
// A child control of a system class, made with the calls of plainKind().
HWND createControl(HWND parent, const char* className, const char* text, DWORD style, int x, int y, int width,
                   int height, int controlId = 0, DWORD exStyle = 0);

// The host's list views (the contacts, the pages, a contact's properties):
// report view, full-row selection, the dialog font; columns and rows in
// Windows-1250. addListRow returns the row, with second as its column 1.
HWND makeListView(HWND parent, DWORD style, int x, int y, int width, int height);
void addListColumn(HWND list, int index, const std::string& title, int width);
int addListRow(HWND list, const std::string& text, int image, const std::string& second = std::string());
// A row's text in one column, as a host sets it.
void setListText(HWND list, int row, int column, const std::string& text);

// The procedure in front of a window as Windows hands it to a caller of the
// window's own character width (the other width gets a translating handle).
LONG_PTR frontProcedure(HWND window);
// What the host itself last put in front of one of its windows (its class's
// procedure, or its own subclass); 0 for a window it did not make.
LONG_PTR ownProcedure(HWND window);
void setOwnProcedure(HWND window, LONG_PTR procedure);
// Messages a window of the host's has heard in its own procedure: whatever
// stands in front of it must pass every message on.
int messagesHeard(HWND window);

}  // namespace host
