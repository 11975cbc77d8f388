// The plug-in's mutable state, all of it, in two structs: the session with
// the host (what it handed us, and what we put into its process) and the
// search (the criteria last seen, the hits, the walks' buffer). Nothing else
// of the plug-in changes at run time. Nothing of ours runs once the library
// is let go (window_thunk.h), so both are plain objects, destroyed with it.
//
// Each has its reset, which a stop calls once the resource table
// (lifetime.cpp) has given back the windows: after it the session holds
// nothing, but what lives from load to unload stays (each field says so).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <map>
#include <string>
#include <vector>

#include "base/found_contact_list.h"
#include "base/window_thunk.h"

class HostControl;

// The plug-in's states (lifetime.h draws how they follow one another).
enum class PluginState { Loaded, Started, Stopping };

// When a resource is given back (the table in lifetime.cpp).
enum class Release {
    WithWindows,  // a stop, 220, 221, a page's destruction: windows may be destroyed
    MemoryOnly,   // FreeLibrary without a stop: inside the loader's lock, so no
                  // window is touched (user32 is not called there) and the host,
                  // which may be gone, is not called; only our thunks are retargeted
};

// Network number -> image index in the result list's small image list. A
// lookup of an absent network adds it with image 0, the general icon.
typedef std::map<int, int> NetIconMap;

// Where the search stands. The host may call us back from any of our calls
// to it, and ask for another search meanwhile: that search waits, and runs
// once the running one has been shown, forced if any ask was.
enum class SearchState {
    Idle,
    Running,
    RunningOneWaiting,        // a search was asked for meanwhile
    RunningForcedOneWaiting,  // ... and one of the asks forced it
};

// Our entry in the common controls' subclass chain of a page that had one
// when we came (views/page_subclass.cpp says why).
struct ChainEntry {
    BOOL(WINAPI* remove)(HWND, SUBCLASSPROC, UINT_PTR) = nullptr;  // null: no entry
    SUBCLASSPROC proc = nullptr;
    UINT_PTR id = 0;
};

// A list dropped while it could not be destroyed (views/list_messages.h),
// and the instance it was made under: what its handle names by the time it
// can be may be a window of someone else's.
struct DroppedList {
    HWND list;
    HINSTANCE instance;
};

// One page whose procedure we replaced (views/page_subclass.h).
struct SubclassedPage {
    HWND page;
    WindowThunk* thunk;  // in front of the page's procedure, calling ours
    ChainEntry chainEntry;
};

// Each hit's place in one column's order, made at a header click and kept
// until the next search (views/result_sort.cpp).
struct ColumnRanks {
    unsigned generation = 0;  // of the hits it ranks
    std::vector<int> rank;    // by hit; the last entry: item data naming no hit
};

struct Session {
    // The host. Started from HM_START to HM_STOP (lifetime.h).
    HostControl* hostControl = nullptr;
    PluginState lifecycle = PluginState::Loaded;
    int stopsRunning = 0;  // stops nested in one another (lifetime.cpp)
    DWORD thread = 0;      // the thread that started us: our windows are its (message_dispatch.cpp)

    // The result list (result_list.cpp), one at a time.
    HWND resultList = nullptr;   // null while there is no list
    HWND resultPage = nullptr;   // the page it lives in
    NetIconMap netIcons;         // always describes the current list's images
    bool sortAscending = true;   // flipped before every header-click sort; lives from load to unload
    ColumnRanks columnRanks[2];  // each hit's place in a column's order, made at a click
    const void* activeSort = nullptr;  // the sort under way (result_sort.cpp); ends with its list
    bool foreignRows = false;  // the host put a row in the list, or changed one's item data, since our fill
    int listMessages = 0;   // our messages to a list in flight (sendToList)
    int listDeletions = 0;  // our list's notices of rows it deletes of its own accord, in flight
    std::vector<DroppedList> listsToDestroy;  // dropped during either, destroyed once all are back

    // The pages whose procedure we replaced (page_subclass.cpp).
    std::vector<SubclassedPage> pages;

    // The search window (search_window.cpp).
    HWND searchWindow = nullptr;          // the latest; forgotten once it is gone
    WNDCLASSEXA windowClass = {};         // as registered at start
    HINSTANCE registeredUnder = nullptr;  // set only while the class that exists is ours
    WindowThunk* classThunk = nullptr;    // the class's procedure, while it is ours

    // The library itself (window_thunk.cpp, runtime_tls.cpp). Lives from load to unload.
    ThunkArenas thunkArenas;     // the process's arenas of thunks this copy found or made
    WindowThunk* entryThunk = nullptr;  // the export's (message_dispatch.cpp)
    DWORD runtimeSlots[8] = {};  // the C++ runtime's TLS slots, given back at unload
    int runtimeSlotCount = 0;

    // A fresh session: no list, no window, no class, the images anew, their
    // memory given back; the sort direction stays.
    void reset();
    // The sort ranks describe the hits of one search: forgotten at every fill.
    void forgetRanks();
};

struct Search {
    SearchState progress = SearchState::Idle;
    // The criteria texts of the last event; they live from load to unload.
    char lastCondition[12] = "";
    char lastValue[500] = "";
    char lastField[12] = "";
    // Set when a search was abandoned or left waiting: the next event
    // searches whatever the texts.
    bool searchOwed = false;

    // The hits of the last search (search/found_contacts.h). Replaced whole
    // by replaceFoundContacts, or emptied by emptyHits: by the search that
    // runs once its walk is over, or when no search runs. Never during a
    // walk: the rows on screen still name the entries of the previous one.
    FoundContactList foundContacts;
    std::vector<TextBlock> foundTexts;
    unsigned generation = 0;  // counts the replacements: a fill checks none happens under it

    // The walks' own copy of each cell (contact_matcher.cpp): one buffer for
    // every walk, shared safely only because walks never nest.
    std::string cell;
    bool walking = false;  // a walk holds the host's table lock

    // No hits, and their memory given back: for a search that failed, and
    // for a stop while none runs.
    void emptyHits() noexcept;

    // At a stop: nothing owed, no hits, no buffer (the criteria seen stay);
    // a search or walk running under the stop keeps what it reads, and gives
    // it back when it ends.
    void reset();
};

extern Session session;
extern Search search;
