#include "base/window_thunk.h"

#include <stddef.h>
#include <string.h>

#include "base/invariant.h"
#include "base/plugin_state.h"

static_assert(sizeof(void*) == 4, "the thunks' code is 32-bit x86");

namespace {

const size_t ARENA_BYTES = 4096;
// The last character is the layout's version: a copy of another layout makes
// pages of its own rather than misread ours.
const char ARENA_MAGIC[16] = "Lunetka thunks2";

enum ThunkState : LONG { THUNK_FREE = 0, THUNK_LIVE = 1, THUNK_FORWARDING = 2 };

#pragma pack(push, 1)
struct ArenaHeader {
    char magic[16];
    ArenaHeader* self;  // a chance match of the magic does not also name its own address
    unsigned char unused[THUNK_BYTES - 20];
};
#pragma pack(pop)
static_assert(sizeof(ArenaHeader) == THUNK_BYTES, "the header fills the first slot");

// Offsets in a thunk of its code's ways in and of the fields it reads.
const size_t ENTER = 6, FORWARD = 66, KEEP_ALIVE = 136, CODE_BYTES = 164;
const size_t AT_GET_MODULE = CODE_BYTES, AT_FREE_LIBRARY = AT_GET_MODULE + 4, AT_TARGET = AT_FREE_LIBRARY + 4,
             AT_PROCEDURE = AT_TARGET + 4, AT_SAVED = AT_PROCEDURE + 4, AT_CALL_WINDOW_PROC = AT_SAVED + 4,
             AT_GET_WINDOW_LONG = AT_CALL_WINDOW_PROC + 4, AT_SET_WINDOW_LONG = AT_GET_WINDOW_LONG + 4,
             AT_DEF_SUBCLASS_PROC = AT_SET_WINDOW_LONG + 4, AT_WINDOW = AT_DEF_SUBCLASS_PROC + 4,
             AT_STATE = AT_WINDOW + 4, AT_FOR_CLASS = AT_STATE + 4;
const size_t SELF = ~static_cast<size_t>(0);  // a fixup that names the thunk's own address

// jmp [target] leads to enter while we are loaded, to forward afterwards.
// enter: takes a reference to the library, calls our procedure with the
// thunk and the message, then gives the reference back: if the host let us
// go meanwhile, the library goes here, outside its own code. forward: a page
// whose procedure is this thunk again (whoever stood in front of it went)
// gets the saved one back, and the thunk is free; then the saved procedure
// goes in front of the message's four words, for CallWindowProc.
// keep-alive: a subclass procedure of the common controls' chain that hands
// every message on through DefSubclassProc.
const unsigned char THUNK_CODE[] = {
    0xFF, 0x25, 0, 0, 0, 0,              //   0 jmp [target]
    0x6A, 0x00,                          //   6 enter: push 0             (the handle's place)
    0x54,                                //   8 push esp
    0xFF, 0x35, 0, 0, 0, 0,              //   9 push [procedure]
    0x6A, 0x04,                          //  15 push GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS
    0xFF, 0x15, 0, 0, 0, 0,              //  17 call [GetModuleHandleExW]
    0xFF, 0x74, 0x24, 0x14,              //  23 push [esp+20]             lParam
    0xFF, 0x74, 0x24, 0x14,              //  27 push [esp+20]             wParam
    0xFF, 0x74, 0x24, 0x14,              //  31 push [esp+20]             message
    0xFF, 0x74, 0x24, 0x14,              //  35 push [esp+20]             hwnd
    0x68, 0, 0, 0, 0,                    //  39 push this thunk
    0xFF, 0x15, 0, 0, 0, 0,              //  44 call [procedure]
    0x50,                                //  50 push eax
    0xFF, 0x74, 0x24, 0x04,              //  51 push [esp+4]              the handle
    0xFF, 0x15, 0, 0, 0, 0,              //  55 call [FreeLibrary]
    0x58,                                //  61 pop eax
    0x59,                                //  62 pop ecx                   the handle's place
    0xC2, 0x10, 0x00,                    //  63 ret 16
    0x83, 0x3D, 0, 0, 0, 0, 0x00,        //  66 forward: cmp dword [forClass], 0
    0x75, 0x2F,                          //  73 jne pass
    0x6A, 0xFC,                          //  75 push GWL_WNDPROC
    0xFF, 0x74, 0x24, 0x08,              //  77 push [esp+8]              hwnd
    0xFF, 0x15, 0, 0, 0, 0,              //  81 call [GetWindowLong]
    0x3D, 0, 0, 0, 0,                    //  87 cmp eax, this thunk
    0x75, 0x1C,                          //  92 jne pass
    0xFF, 0x35, 0, 0, 0, 0,              //  94 push [saved]
    0x6A, 0xFC,                          // 100 push GWL_WNDPROC
    0xFF, 0x74, 0x24, 0x0C,              // 102 push [esp+12]             hwnd
    0xFF, 0x15, 0, 0, 0, 0,              // 106 call [SetWindowLong]
    0xC7, 0x05, 0, 0, 0, 0, 0, 0, 0, 0,  // 112 mov dword [state], free
    0x59,                                // 122 pass: pop ecx             the return address
    0xFF, 0x35, 0, 0, 0, 0,              // 123 push [saved]
    0x51,                                // 129 push ecx
    0xFF, 0x25, 0, 0, 0, 0,              // 130 jmp [CallWindowProc]
    0xFF, 0x74, 0x24, 0x10,              // 136 keep-alive: push [esp+16] lParam
    0xFF, 0x74, 0x24, 0x10,              // 140 push [esp+16]             wParam
    0xFF, 0x74, 0x24, 0x10,              // 144 push [esp+16]             message
    0xFF, 0x74, 0x24, 0x10,              // 148 push [esp+16]             hwnd
    0xFF, 0x15, 0, 0, 0, 0,              // 152 call [DefSubclassProc]
    0xC2, 0x18, 0x00,                    // 158 ret 24
};
// Where the code names a field, and which.
const struct {
    size_t at, field;
} THUNK_FIXUPS[] = {
    {2, AT_TARGET},         {11, AT_PROCEDURE},         {19, AT_GET_MODULE},        {40, SELF},
    {46, AT_PROCEDURE},     {57, AT_FREE_LIBRARY},      {68, AT_FOR_CLASS},         {83, AT_GET_WINDOW_LONG},
    {88, SELF},             {96, AT_SAVED},             {108, AT_SET_WINDOW_LONG},  {114, AT_STATE},
    {125, AT_SAVED},        {132, AT_CALL_WINDOW_PROC}, {154, AT_DEF_SUBCLASS_PROC},
};

}  // namespace

#pragma pack(push, 1)
struct WindowThunk {
    unsigned char code[CODE_BYTES];
    // Written when the page is made, never again: a message's way back out of
    // the thunk reads only these, so a thunk may be freed and used again
    // while a message is still inside it.
    void* getModuleHandleEx;
    void* freeLibrary;
    // Each changed by one aligned write.
    void* volatile target;
    void* volatile procedure;  // ours, in our image
    void* volatile saved;      // what we replaced
    void* volatile callWindowProc;
    void* volatile getWindowLong;  // of the window's width
    void* volatile setWindowLong;
    void* volatile defSubclassProc;  // of the comctl32 whose chain the keep-alive entry is in
    HWND window;                     // the page; for a class, the instance it is registered under
    volatile LONG state;
    LONG forClass;
    LONG wide;
    unsigned char unused[THUNK_BYTES - CODE_BYTES - 13 * 4];
};
#pragma pack(pop)
static_assert(sizeof(WindowThunk) == THUNK_BYTES, "one slot each");
static_assert(sizeof THUNK_CODE <= CODE_BYTES, "the code fits before its fields");
static_assert(offsetof(WindowThunk, target) == AT_TARGET && offsetof(WindowThunk, saved) == AT_SAVED &&
                  offsetof(WindowThunk, callWindowProc) == AT_CALL_WINDOW_PROC &&
                  offsetof(WindowThunk, procedure) == AT_PROCEDURE &&
                  offsetof(WindowThunk, freeLibrary) == AT_FREE_LIBRARY &&
                  offsetof(WindowThunk, getWindowLong) == AT_GET_WINDOW_LONG &&
                  offsetof(WindowThunk, setWindowLong) == AT_SET_WINDOW_LONG &&
                  offsetof(WindowThunk, defSubclassProc) == AT_DEF_SUBCLASS_PROC &&
                  offsetof(WindowThunk, state) == AT_STATE && offsetof(WindowThunk, forClass) == AT_FOR_CLASS,
              "the code names the fields where they are");
static_assert(THUNK_FREE == 0, "the code frees a thunk with a zero");

namespace {

WindowThunk* thunkAt(void* arena, int index)
{
    return reinterpret_cast<WindowThunk*>(static_cast<unsigned char*>(arena) + THUNK_BYTES * (index + 1));
}

template <typename Visit>
WindowThunk* findThunk(Visit matches)
{
    const ThunkArenas& arenas = session.thunkArenas;
    for (int a = 0; a < arenas.count; ++a) {
        for (int i = 0; i < THUNKS_PER_ARENA; ++i) {
            WindowThunk* thunk = thunkAt(arenas.arena[a], i);
            if (matches(thunk))
                return thunk;
        }
    }
    return nullptr;
}

// Ours: private memory that may run code, starting with our header, which
// names its own address.
bool isArena(const MEMORY_BASIC_INFORMATION& region)
{
    if (region.Type != MEM_PRIVATE || region.Protect != PAGE_EXECUTE_READWRITE)
        return false;
    const ArenaHeader* header = static_cast<const ArenaHeader*>(region.BaseAddress);
    return memcmp(header->magic, ARENA_MAGIC, sizeof ARENA_MAGIC) == 0 && header->self == header;
}

// Once per copy: the pages of thunks earlier copies made are found by a walk
// of the address space, as nothing of theirs is left to name them.
void findArenas()
{
    ThunkArenas& arenas = session.thunkArenas;
    if (arenas.found)
        return;
    arenas.found = true;
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    MEMORY_BASIC_INFORMATION region;
    const char* end = static_cast<const char*>(system.lpMaximumApplicationAddress);
    for (const char* at = static_cast<const char*>(system.lpMinimumApplicationAddress);
         at < end && arenas.count < THUNK_ARENAS_MAX; at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        SIZE_T described = VirtualQuery(at, &region, sizeof region);
        if (NEVER(described == 0))  // every address up to the highest one is described
            break;
        if (isArena(region))
            arenas.arena[arenas.count++] = region.BaseAddress;
    }
}

WindowThunk* newArena()
{
    ThunkArenas& arenas = session.thunkArenas;
    void* memory = arenas.count < THUNK_ARENAS_MAX
                       ? VirtualAlloc(nullptr, ARENA_BYTES, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE)
                       : nullptr;
    if (!memory)
        return nullptr;
    ArenaHeader* header = static_cast<ArenaHeader*>(memory);
    memcpy(header->magic, ARENA_MAGIC, sizeof ARENA_MAGIC);
    header->self = header;
    for (int i = 0; i < THUNKS_PER_ARENA; ++i) {
        WindowThunk* thunk = thunkAt(memory, i);  // zero, as VirtualAlloc gives it: free
        unsigned char* base = thunk->code;
        memset(base, 0xCC, sizeof thunk->code);
        memcpy(base, THUNK_CODE, sizeof THUNK_CODE);
        for (const auto& fixup : THUNK_FIXUPS) {
            unsigned char* field = fixup.field == SELF ? base : base + fixup.field;
            memcpy(base + fixup.at, &field, sizeof field);
        }
        thunk->getModuleHandleEx = reinterpret_cast<void*>(&GetModuleHandleExW);
        thunk->freeLibrary = reinterpret_cast<void*>(&FreeLibrary);
        thunk->target = base + FORWARD;
    }
    FlushInstructionCache(GetCurrentProcess(), memory, ARENA_BYTES);
    arenas.arena[arenas.count++] = memory;
    return thunkAt(memory, 0);
}

}  // namespace

WindowThunk* makeWindowThunk(ThunkProcedure procedure, HWND window, bool wide, bool forClass, WNDPROC leadingThere)
{
    findArenas();
    auto usable = [leadingThere](const WindowThunk* candidate) {
        return candidate->state == THUNK_FREE && thunkEntry(candidate) != leadingThere;
    };
    WindowThunk* thunk = findThunk(usable);
    if (!thunk)
        thunk = newArena();
    if (!thunk)
        return nullptr;
    thunk->procedure = reinterpret_cast<void*>(procedure);
    thunk->saved = nullptr;
    thunk->callWindowProc = wide ? reinterpret_cast<void*>(&CallWindowProcW) : reinterpret_cast<void*>(&CallWindowProcA);
    thunk->getWindowLong = wide ? reinterpret_cast<void*>(&GetWindowLongW) : reinterpret_cast<void*>(&GetWindowLongA);
    thunk->setWindowLong = wide ? reinterpret_cast<void*>(&SetWindowLongW) : reinterpret_cast<void*>(&SetWindowLongA);
    thunk->window = window;
    thunk->wide = wide;
    thunk->forClass = forClass;
    thunk->target = thunk->code + ENTER;
    thunk->state = THUNK_LIVE;
    return thunk;
}

WNDPROC thunkEntry(const WindowThunk* thunk) { return reinterpret_cast<WNDPROC>(const_cast<unsigned char*>(thunk->code)); }

void setThunkSaved(WindowThunk* thunk, WNDPROC saved) { thunk->saved = reinterpret_cast<void*>(saved); }

WNDPROC thunkSaved(const WindowThunk* thunk) { return reinterpret_cast<WNDPROC>(thunk->saved); }

bool thunkWide(const WindowThunk* thunk) { return thunk->wide != 0; }

HWND thunkWindow(const WindowThunk* thunk) { return thunk->window; }

SUBCLASSPROC thunkKeepAlive(WindowThunk* thunk, void* defSubclassProc)
{
    thunk->defSubclassProc = defSubclassProc;
    return reinterpret_cast<SUBCLASSPROC>(static_cast<void*>(thunk->code + KEEP_ALIVE));
}

WindowThunk* leftClassThunk(WNDPROC classProc)
{
    return findThunk([=](const WindowThunk* thunk) {
        return thunk->state == THUNK_FORWARDING && thunk->forClass && thunkEntry(thunk) == classProc;
    });
}

void forwardPastUs(WindowThunk* thunk)
{
    thunk->target = thunk->code + FORWARD;
    thunk->state = THUNK_FORWARDING;
}

void freeWindowThunk(WindowThunk* thunk)
{
    thunk->target = thunk->code + FORWARD;
    thunk->procedure = nullptr;
    thunk->state = THUNK_FREE;
}

void tidyLeftThunks(bool (*stillNeeded)(const WindowThunk* thunk, bool forClass))
{
    findArenas();
    findThunk([stillNeeded](WindowThunk* thunk) {
        if (thunk->state == THUNK_FORWARDING && !stillNeeded(thunk, thunk->forClass != 0))
            freeWindowThunk(thunk);
        return false;
    });
}
