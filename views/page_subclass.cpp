#include "views/page_subclass.h"

#include <algorithm>
#include <vector>

#include "plugin/invariant.h"
#include "plugin/plugin_state.h"
#include "plugin/window_thunk.h"

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

// Whether module is a comctl32, by its file's name.
bool isCommonControls(HMODULE module)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    const wchar_t name[] = L"comctl32.dll";
    const DWORD nameLength = sizeof name / sizeof name[0] - 1;
    return length >= nameLength && length < MAX_PATH && lstrcmpiW(path + length - nameLength, name) == 0;
}

// A page the host subclassed with SetWindowSubclass before we came has the
// common controls' procedure in front. When the host takes its last entry
// out of that chain, Wine's RemoveWindowSubclass puts the page's first
// procedure back over whatever stands in front, ours included (Windows'
// leaves a procedure in front alone). An entry of ours in the same chain,
// through the very comctl32 whose procedure it is, keeps the chain from
// emptying while our list lives. Its procedure lives outside our image.
ChainEntry joinCommonControlsChain(HWND page, WNDPROC front, UINT_PTR id)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(front), &module) ||
        !isCommonControls(module))
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
    entry.proc = keepAliveSubclassProc(reinterpret_cast<void*>(defSubclassProc));
    entry.id = id;
    if (entry.proc && set(page, entry.proc, id, 0))
        entry.remove = remove;
    return entry;
}

}  // namespace

bool subclassPage(HWND page, WNDPROC proc)
{
    // The list was just made in this page, and the page checked to be alive.
    if (NEVER(!IsWindow(page)))
        return false;
    // A page still ours, or one the host copied a page's procedure of ours
    // onto: saving that as the one to forward to would loop forever.
    if (findPage(page) != session.pages.end() || liveThunkAt(currentProc(page), proc))
        return true;
    session.pages.reserve(session.pages.size() + 1);  // may throw: before the page is touched
    bool wide = IsWindowUnicode(page) != FALSE;
    WindowThunk* thunk = makeWindowThunk(proc, page, wide, false);
    if (!thunk)
        return false;
    ChainEntry chainEntry = joinCommonControlsChain(page, currentProc(page), reinterpret_cast<UINT_PTR>(thunk));
    WNDPROC saved = replaceProc(page, thunkEntry(thunk), wide);
    if (!saved) {  // a window of another process keeps its procedure
        freeWindowThunk(thunk);
        return false;
    }
    setThunkSaved(thunk, saved);
    session.pages.push_back({page, thunk, chainEntry});
    return true;
}

PageForward pageForward(HWND page)
{
    auto known = findPage(page);
    return known == session.pages.end() ? PageForward{nullptr, false}
                                        : PageForward{thunkSaved(known->thunk), thunkWide(known->thunk)};
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
    freeWindowThunk(thunk);
    // The common controls' procedure is in front again: the chain may empty.
    if (chainEntry.remove && IsWindow(page))
        chainEntry.remove(page, chainEntry.proc, chainEntry.id);
}

void releaseAllPages(Release moment)
{
    // Backwards, so releasing one does not move those still to come; and
    // without allocating, as this runs at stop and at unload. Releasing a
    // page calls nobody, so none but that one can go meanwhile.
    for (size_t i = session.pages.size(); i-- > 0;) {
        if (NEVER(i >= session.pages.size()))
            continue;
        if (moment == Release::AtUnload) {
            forwardPastUs(session.pages[i].thunk);
            session.pages.pop_back();
        } else {
            releasePage(session.pages[i].page);
        }
    }
}

void forgetPage(HWND page)
{
    auto known = findPage(page);
    if (known == session.pages.end())
        return;
    freeWindowThunk(known->thunk);
    session.pages.erase(known);
}

bool leftPageThunkStillNeeded(const WindowThunk* thunk) { return !givePageBack(thunkWindow(thunk), thunk); }
