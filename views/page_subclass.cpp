#include "views/page_subclass.h"

#include <algorithm>
#include <vector>

#include "plugin/invariant.h"
#include "plugin/library_hold.h"
#include "plugin/plugin_state.h"

namespace {

std::vector<SubclassedPage>::iterator findPage(HWND page)
{
    return std::find_if(session.pages.begin(), session.pages.end(),
                        [page](const SubclassedPage& known) { return known.page == page; });
}

// The procedure in front, as Windows hands it to a caller of the window's
// own width (the other width would get a translating handle, never ours).
WNDPROC currentProc(HWND page)
{
    return reinterpret_cast<WNDPROC>(IsWindowUnicode(page) ? GetWindowLongPtrW(page, GWLP_WNDPROC)
                                                           : GetWindowLongPtrA(page, GWLP_WNDPROC));
}

WNDPROC replaceProc(HWND page, WNDPROC proc, bool wide)
{
    LONG_PTR value = reinterpret_cast<LONG_PTR>(proc);
    return reinterpret_cast<WNDPROC>(wide ? SetWindowLongPtrW(page, GWLP_WNDPROC, value)
                                          : SetWindowLongPtrA(page, GWLP_WNDPROC, value));
}

}  // namespace

bool subclassPage(HWND page, WNDPROC proc)
{
    // The list was just made in this page, and the page checked to be alive.
    if (NEVER(!IsWindow(page)))
        return false;
    // A page still ours (the host's procedure in front kept it), or one the
    // host copied our procedure onto: saving ours as the one to forward to
    // would loop forever.
    if (findPage(page) != session.pages.end() || currentProc(page) == proc)
        return true;
    session.pages.reserve(session.pages.size() + 1);  // may throw: before the page is touched
    bool wide = IsWindowUnicode(page) != FALSE;
    WNDPROC saved = replaceProc(page, proc, wide);
    if (!saved)  // a window of another process keeps its procedure
        return false;
    session.pages.push_back({page, saved, wide});
    return true;
}

PageForward pageForward(HWND page)
{
    auto known = findPage(page);
    return known == session.pages.end() ? PageForward{nullptr, false} : PageForward{known->saved, known->wide};
}

LRESULT forwardPageMessage(const PageForward& forward, HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A page we do not know has our procedure only because the host copied
    // it there, with the width it had where the host found it.
    if (!forward.saved)
        return IsWindowUnicode(page) ? DefWindowProcW(page, message, wParam, lParam)
                                     : DefWindowProcA(page, message, wParam, lParam);
    return forward.wide ? CallWindowProcW(forward.saved, page, message, wParam, lParam)
                        : CallWindowProcA(forward.saved, page, message, wParam, lParam);
}

bool standsBehindAnother(HWND page, WNDPROC proc) { return currentProc(page) != proc; }

bool anyPageBehindAnother(WNDPROC proc)
{
    for (const SubclassedPage& known : session.pages) {
        if (IsWindow(known.page) && standsBehindAnother(known.page, proc))
            return true;
    }
    return false;
}

void releasePage(HWND page, WNDPROC proc, Release moment)
{
    auto known = findPage(page);
    if (known == session.pages.end())
        return;
    if (!IsWindow(page)) {
        session.pages.erase(known);
        return;
    }
    if (currentProc(page) != proc) {
        // Someone's procedure in front of ours forwards to it: the page can
        // never be handed back safely, so our code must stay.
        if (moment == Release::AtUnload)
            pinLibrary();
        else
            holdLibrary();
        return;
    }
    replaceProc(page, known->saved, known->wide);
    session.pages.erase(known);
}

void releaseAllPages(WNDPROC proc, Release moment)
{
    // Backwards, so releasing one does not move those still to come; and
    // without allocating, as this runs at stop and at unload. Releasing a
    // page calls nobody, so none but that one can go meanwhile.
    for (size_t i = session.pages.size(); i-- > 0;) {
        if (NEVER(i >= session.pages.size()))
            continue;
        releasePage(session.pages[i].page, proc, moment);
    }
}

void forgetPage(HWND page)
{
    auto known = findPage(page);
    if (known != session.pages.end())
        session.pages.erase(known);
}
