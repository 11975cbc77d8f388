#include "host/host_subclass.h"

#include <commctrl.h>
#include <map>
#include <set>

#include "host/host_window.h"

namespace host {

namespace {

const UINT_PTR SUBCLASS_ID = 0x4C75;  // "Lu"
// The host's subclasses, the one place of their state: a window procedure
// is handed a window and no host, so it is kept per page, and goes with it.
std::map<HWND, LONG_PTR> replaced;
std::set<HWND> subclassed;  // pages with the host's SetWindowSubclass on them
int heard = 0;

// One procedure per character width, as the page's own width needs.
template <bool Wide>
LRESULT CALLBACK replacedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    ++heard;
    auto saved = replaced.find(hwnd);
    if (saved == replaced.end())
        return Wide ? DefWindowProcW(hwnd, message, wParam, lParam) : DefWindowProcA(hwnd, message, wParam, lParam);
    WNDPROC next = reinterpret_cast<WNDPROC>(saved->second);
    if (message == WM_NCDESTROY)
        replaced.erase(saved);
    return Wide ? CallWindowProcW(next, hwnd, message, wParam, lParam)
                : CallWindowProcA(next, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    ++heard;
    if (message == WM_NCDESTROY)
        removePageSubclass(hwnd);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void replacePageProcedure(HWND page)
{
    if (replaced.count(page))
        return;
    bool wide = IsWindowUnicode(page) != FALSE;
    LONG_PTR mine = reinterpret_cast<LONG_PTR>(wide ? replacedProc<true> : replacedProc<false>);
    replaced[page] = wide ? SetWindowLongPtrW(page, GWLP_WNDPROC, mine) : SetWindowLongPtrA(page, GWLP_WNDPROC, mine);
    setOwnProcedure(page, frontProcedure(page));
}

void addPageSubclass(HWND page)
{
    if (SetWindowSubclass(page, subclassProc, SUBCLASS_ID, 0))  // a second time only changes its data
        subclassed.insert(page);
}

void removePageSubclass(HWND page)
{
    if (subclassed.erase(page))
        RemoveWindowSubclass(page, subclassProc, SUBCLASS_ID);
}

bool hasPageSubclass(HWND page) { return subclassed.count(page) != 0; }

int removeEveryPageSubclass()
{
    int removed = 0;
    for (; !subclassed.empty(); ++removed)
        removePageSubclass(*subclassed.begin());
    return removed;
}

void restorePageProcedure(HWND page)
{
    auto saved = replaced.find(page);
    if (saved == replaced.end())
        return;
    bool wide = IsWindowUnicode(page) != FALSE;
    LONG_PTR mine = reinterpret_cast<LONG_PTR>(wide ? replacedProc<true> : replacedProc<false>);
    if (frontProcedure(page) != mine)
        return;  // something stands in front of ours: ours stays and keeps forwarding
    if (wide)
        SetWindowLongPtrW(page, GWLP_WNDPROC, saved->second);
    else
        SetWindowLongPtrA(page, GWLP_WNDPROC, saved->second);
    replaced.erase(saved);
    setOwnProcedure(page, frontProcedure(page));
}

int hostSubclassMessages() { return heard; }

}  // namespace host
