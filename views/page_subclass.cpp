#include "views/page_subclass.h"

#include <algorithm>
#include <vector>

#include "plugin/persistent.h"

namespace {

struct SubclassedPage {
    HWND page;
    WNDPROC saved;
    bool wide;  // subclassed with the wide calls: forwarded and given back with them
};

// Read by our page procedure even after an unload that had to keep us
// loaded: the runtime must not destroy it.
Persistent<std::vector<SubclassedPage>> pages;

std::vector<SubclassedPage>::iterator findPage(HWND page)
{
    return std::find_if(pages->begin(), pages->end(),
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
    if (!IsWindow(page))  // GCOVR_EXCL_BR_LINE: as the next line
        return false;  // GCOVR_EXCL_LINE: the list was just made in this page, so it is a window
    // Saving our own procedure as the one to forward to would loop forever.
    // Coverage leaves out its branches: a page of ours outside the table would need a
    // host that copied our procedure onto a window of its own.
    if (findPage(page) != pages->end() || currentProc(page) == proc)  // GCOVR_EXCL_BR_LINE
        return true;
    pages->reserve(pages->size() + 1);  // may throw: before the page is touched
    bool wide = IsWindowUnicode(page) != FALSE;
    WNDPROC saved = replaceProc(page, proc, wide);
    if (!saved)  // GCOVR_EXCL_BR_LINE: as the next line
        return false;  // GCOVR_EXCL_LINE: a window of our own process always has a procedure to give
    pages->push_back({page, saved, wide});
    return true;
}

PageForward pageForward(HWND page)
{
    auto known = findPage(page);
    // Coverage leaves out its branch: our page procedure runs only for pages in the table.
    return known == pages->end() ? PageForward{nullptr, false} : PageForward{known->saved, known->wide};  // GCOVR_EXCL_BR_LINE
}

LRESULT forwardPageMessage(const PageForward& forward, HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!forward.saved)  // GCOVR_EXCL_LINE: a page reaches us only while its entry lives, and
        return DefWindowProcA(page, message, wParam, lParam);  // GCOVR_EXCL_LINE: that goes with its last message
    return forward.wide ? CallWindowProcW(forward.saved, page, message, wParam, lParam)
                        : CallWindowProcA(forward.saved, page, message, wParam, lParam);
}

bool standsBehindAnother(HWND page, WNDPROC proc) { return currentProc(page) != proc; }

bool anyPageBehindAnother(WNDPROC proc)
{
    for (const SubclassedPage& known : *pages) {
        if (IsWindow(known.page) && currentProc(known.page) != proc)
            return true;
    }
    return false;
}

void releasePage(HWND page, WNDPROC proc, Release moment)
{
    auto known = findPage(page);
    if (known == pages->end())
        return;
    if (!IsWindow(page)) {
        pages->erase(known);
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
    pages->erase(known);
}

void releaseAllPages(WNDPROC proc, Release moment)
{
    // Backwards, so releasing one does not move those still to come; and
    // without allocating, as this runs at stop and at unload.
    for (size_t i = pages->size(); i-- > 0;) {
        if (i < pages->size())
            releasePage((*pages)[i].page, proc, moment);
    }
    if (pages->empty())
        std::vector<SubclassedPage>().swap(*pages);  // nothing of it outlives the library
}

void forgetPage(HWND page)
{
    auto known = findPage(page);
    if (known != pages->end())  // GCOVR_EXCL_BR_LINE: a page's last message reaches us only from the table
        pages->erase(known);
}
