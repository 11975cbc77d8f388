#include "views/page_subclass.h"

#include <algorithm>
#include <vector>

#include "base/invariant.h"
#include "base/plugin_state.h"
#include "base/window_thunk.h"

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

// The page's own procedure back where our thunk is still in front; true
// when nothing leads to the thunk any more.
bool givePageBack(HWND page, const WindowThunk* thunk)
{
    if (!IsWindow(page))
        return true;
    if (currentProc(page) != thunkEntry(thunk))
        return false;
    replaceProc(page, thunkSaved(thunk), thunkWide(thunk));
    return true;
}

// A page the host subclassed with SetWindowSubclass before we came has the
// common controls' procedure in front. When the host takes its last entry
// out of that chain, Wine's RemoveWindowSubclass puts the page's first
// procedure back over whatever stands in front, ours included (Windows'
// leaves a procedure in front alone). An entry of ours in the same chain,
// through the very comctl32 whose procedure it is, keeps the chain from
// emptying while our list lives. Its procedure is the thunk's second way in.
ChainEntry joinCommonControlsChain(HWND page, WNDPROC front, WindowThunk* thunk)
{
    HMODULE module = nullptr;
    // Every comctl32 exports InitCommonControlsEx by name; a host's module
    // that happens to have exports by the numbers below does not.
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(front), &module) ||
        !GetProcAddress(module, "InitCommonControlsEx"))
        return ChainEntry();
    // Exported by these numbers by every comctl32 since 5.8, by name or not.
    auto set = reinterpret_cast<BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR)>(
        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(410))));
    auto remove = reinterpret_cast<BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR)>(
        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(412))));
    FARPROC defSubclassProc = GetProcAddress(module, MAKEINTRESOURCEA(413));
    if (NEVER(!set || !remove || !defSubclassProc))
        return ChainEntry();
    ChainEntry entry;
    entry.proc = thunkKeepAlive(thunk, reinterpret_cast<void*>(defSubclassProc));
    entry.id = reinterpret_cast<UINT_PTR>(thunk);
    entry.remove = remove;
    // Refused only when comctl32 has no memory: then the removal finds
    // nothing, and the chain is as it would have been without us.
    set(page, entry.proc, entry.id, 0);
    return entry;
}

}  // namespace

bool subclassPage(HWND page, ThunkProcedure proc, const ThunkActs& acts)
{
    // The list was just made in this page, and the page checked to be alive.
    if (NEVER(!IsWindow(page)))
        return false;
    // Still ours: the host destroyed the list before this one itself.
    if (findPage(page) != session.pages.end())
        return true;
    session.pages.reserve(session.pages.size() + 1);  // may throw: before the page is touched
    bool wide = IsWindowUnicode(page) != FALSE;
    WNDPROC front = currentProc(page);
    WindowThunk* thunk = makeWindowThunk(proc, page, wide, false, front, &acts);
    if (!thunk)
        return false;
    ChainEntry chainEntry = joinCommonControlsChain(page, front, thunk);
    WNDPROC saved = replaceProc(page, thunkEntry(thunk), wide);
    if (!saved) {  // a window of another process keeps its procedure
        freeWindowThunk(thunk);
        return false;
    }
    setThunkSaved(thunk, saved);
    session.pages.push_back({page, thunk, chainEntry});
    return true;
}

LRESULT forwardPageMessage(const WindowThunk* thunk, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return thunkWide(thunk) ? CallWindowProcW(thunkSaved(thunk), hwnd, message, wParam, lParam)
                            : CallWindowProcA(thunkSaved(thunk), hwnd, message, wParam, lParam);
}

bool pagesOwnMessage(const WindowThunk* thunk, HWND hwnd) { return thunkWindow(thunk) == hwnd; }

void releasePage(HWND page)
{
    auto known = findPage(page);
    if (known == session.pages.end())
        return;
    WindowThunk* thunk = known->thunk;
    ChainEntry chainEntry = known->chainEntry;
    session.pages.erase(known);
    if (!givePageBack(page, thunk)) {
        forwardPastUs(thunk);  // the host's procedure in front forwards to it for good
        return;  // and our chain entry stays: Wine's removal of the last one would drop the host's too
    }
    // The common controls' procedure is in front again: the chain may empty.
    if (chainEntry.remove)
        chainEntry.remove(page, chainEntry.proc, chainEntry.id);
    freeWindowThunk(thunk);
}

void releaseAllPages(Release moment)
{
    // Backwards, so releasing one does not move those still to come; and
    // without allocating, as this runs at stop and at unload. Releasing a
    // page calls nobody, so none but that one can go meanwhile.
    for (size_t i = session.pages.size(); i-- > 0;) {
        if (NEVER(i >= session.pages.size()))
            continue;
        if (moment == Release::MemoryOnly) {
            forwardPastUs(session.pages[i].thunk);
            session.pages.pop_back();
        } else {
            releasePage(session.pages[i].page);
        }
    }
}

void forgetPage(HWND page)
{
    // Only a page's own thunk, live and so in the table, hands us its messages.
    auto known = findPage(page);
    if (NEVER(known == session.pages.end()))
        return;
    freeWindowThunk(known->thunk);
    session.pages.erase(known);
}

bool leftPageThunkStillNeeded(const WindowThunk* thunk) { return !givePageBack(thunkWindow(thunk), thunk); }
