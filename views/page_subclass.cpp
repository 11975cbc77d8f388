#include "views/page_subclass.h"

#include <algorithm>
#include <vector>

#include "plugin/lifetime.h"

namespace {

struct SubclassedPage {
    HWND page;
    WNDPROC saved;
};

std::vector<SubclassedPage> pages;

std::vector<SubclassedPage>::iterator findPage(HWND page)
{
    return std::find_if(pages.begin(), pages.end(),
                        [page](const SubclassedPage& known) { return known.page == page; });
}

WNDPROC currentProc(HWND page)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(page, GWLP_WNDPROC));
}

}  // namespace

bool subclassPage(HWND page, WNDPROC proc)
{
    if (!IsWindow(page))  // GCOVR_EXCL_BR_LINE: as the next line
        return false;  // GCOVR_EXCL_LINE: the list was just made in this page, so it is a window
    // Saving our own procedure as the one to forward to would loop forever.
    // Coverage leaves out its branches: a page of ours outside the table would need a
    // host that copied our procedure onto a window of its own.
    if (findPage(page) != pages.end() || currentProc(page) == proc)  // GCOVR_EXCL_BR_LINE
        return true;
    pages.reserve(pages.size() + 1);  // may throw: before the page is touched
    WNDPROC saved = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
    if (!saved)  // GCOVR_EXCL_BR_LINE: as the next line
        return false;  // GCOVR_EXCL_LINE: a window of our own process always has a procedure to give
    pages.push_back({page, saved});
    return true;
}

WNDPROC savedPageProc(HWND page)
{
    auto known = findPage(page);
    // Coverage leaves out its branch: our page procedure runs only for pages in the table.
    return known == pages.end() ? nullptr : known->saved;  // GCOVR_EXCL_BR_LINE
}

void releasePage(HWND page, WNDPROC proc)
{
    auto known = findPage(page);
    if (known == pages.end())
        return;
    if (!IsWindow(page)) {
        pages.erase(known);
        return;
    }
    if (currentProc(page) != proc) {
        // Someone's procedure in front of ours forwards to it: the page can
        // never be handed back safely, so our code must stay.
        keepLibraryLoaded();
        return;
    }
    SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(known->saved));
    pages.erase(known);
}

void releaseAllPages(WNDPROC proc)
{
    // Backwards, so releasing one does not move those still to come; and
    // without allocating, as this runs at stop and at unload.
    for (size_t i = pages.size(); i-- > 0;) {
        if (i < pages.size())
            releasePage(pages[i].page, proc);
    }
}

void forgetPage(HWND page)
{
    auto known = findPage(page);
    if (known != pages.end())  // GCOVR_EXCL_BR_LINE: a page's last message reaches us only from the table
        pages.erase(known);
}
