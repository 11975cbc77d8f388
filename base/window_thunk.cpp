#include "base/window_thunk.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "base/invariant.h"
#include "base/plugin_state.h"

static_assert(sizeof(void*) == 4, "the thunks' code is 32-bit x86");

namespace {

// An arena: a page of code (a header, then one slot of code per thunk), and
// the page of the thunks' data right after it, in one allocation.
const size_t PAGE_BYTES = 4096;
const size_t ARENA_BYTES = 2 * PAGE_BYTES;
const size_t CODE_SLOT_BYTES = 256;
const unsigned char FILL = 0xCC;  // int3 between and after the slots
const char ARENA_MAGIC[12] = "Lunetka thk";

#pragma pack(push, 1)
// The instructions the code is made of, each with its fields named.
struct Indirect {  // jmp/call/push dword [address]: FF /4, FF /2, FF /6
    unsigned char opcode, modrm;
    const void* address;
};
struct PushByte {  // push imm8 (sign-extended): 6A ib
    unsigned char opcode;
    signed char value;
};
struct PushWord {  // push imm32: 68 id
    unsigned char opcode;
    const void* value;
};
struct StackWord {  // push dword [esp+ib]: FF 74 24 ib; mov eax, [esp+ib]: 8B 44 24 ib
    unsigned char opcode, modrm, sib, offset;
};
struct CompareEaxWithMemory {  // cmp eax, [address]: 3B 05
    unsigned char opcode, modrm;
    const void* address;
};
struct CompareEaxWithWord {  // cmp eax, imm32: 3D id
    unsigned char opcode;
    const void* value;
};
struct CompareMemoryWithByte {  // cmp dword [address], imm8: 83 3D
    unsigned char opcode, modrm;
    const void* address;
    signed char value;
};
struct StoreWord {  // mov dword [address], imm32: C7 05
    unsigned char opcode, modrm;
    const void* address;
    uint32_t value;
};
struct ShortJump {  // je/jne/jmp rel8: 74, 75, EB
    unsigned char opcode;
    signed char distance;
};
struct NearJump {  // jmp rel32: E9
    unsigned char opcode;
    int32_t distance;
};
struct Return {  // ret imm16: C2 iw
    unsigned char opcode;
    uint16_t bytes;
};

// One thunk's code. Its ways in: entry (what a window's procedure is set to),
// which jumps to the data's target; filter, enter and forward (targets);
// keep-alive (a subclass procedure of the common controls' chain).
//
// filter: a message our procedure acts on goes to enter, any other straight
// to pass, with no reference to the library. enter: takes a reference to the
// library, calls our procedure with the thunk and the message, then gives
// the reference back: if the host let us go meanwhile, the library goes
// here, outside its own code. forward: a page whose procedure is this thunk
// again (whoever stood in front of it went) gets the saved one back, and the
// thunk is free; pass: the saved procedure goes in front of the message's
// four words, for CallWindowProc. keep-alive: hands every message on through
// DefSubclassProc.
struct ThunkCode {
    Indirect toTarget;  // jmp [target]

    StackWord filterMessage;  // mov eax, [esp+8]       the message
    CompareEaxWithMemory isFirstAct;
    ShortJump firstToEnter;  // je enter
    CompareEaxWithMemory isSecondAct;
    ShortJump secondToEnter;
    CompareEaxWithMemory isThirdAct;
    ShortJump thirdToEnter;
    NearJump othersToPass;  // jmp pass

    PushByte handlePlace;        // push 0                 (the handle's place)
    unsigned char handleAddress;  // push esp
    Indirect procedureAddress;   // push [procedure]
    PushByte fromAddress;        // push GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS
    Indirect takeReference;      // call [GetModuleHandleExW]
    StackWord lParam, wParam, message, hwnd;  // push [esp+20], four times
    PushWord thisThunk;          // push the thunk's data
    Indirect callProcedure;      // call [procedure]
    unsigned char keepResult;    // push eax
    StackWord handle;            // push [esp+4]
    Indirect giveReferenceBack;  // call [FreeLibrary]
    unsigned char result;        // pop eax
    unsigned char dropHandlePlace;  // pop ecx
    Return enterReturn;          // ret 16

    CompareMemoryWithByte isForClass;  // cmp dword [forClass], 0
    ShortJump classToPass;             // jne pass
    PushByte procedureIndex;           // push GWL_WNDPROC
    StackWord windowToRead;            // push [esp+8]      hwnd
    Indirect readProcedure;            // call [GetWindowLong]
    CompareEaxWithWord isThisThunk;    // cmp eax, entry
    ShortJump otherToPass;             // jne pass
    Indirect savedToGiveBack;          // push [saved]
    PushByte procedureIndexToSet;      // push GWL_WNDPROC
    StackWord windowToSet;             // push [esp+12]     hwnd
    Indirect giveProcedureBack;        // call [SetWindowLong]
    StoreWord markFree;                // mov dword [state], THUNK_FREE

    unsigned char returnAddress;  // pop ecx
    Indirect savedInFront;        // push [saved]
    unsigned char returnAddressBack;  // push ecx
    Indirect toCallWindowProc;    // jmp [CallWindowProc]

    StackWord keepLParam, keepWParam, keepMessage, keepHwnd;  // push [esp+16], four times
    Indirect callDefSubclassProc;  // call [DefSubclassProc]
    Return keepAliveReturn;        // ret 24
};

// The code page's first slot.
struct ArenaHeader {
    char magic[sizeof ARENA_MAGIC];
    uint32_t layout;   // the code's layout (layoutVersion)
    const void* self;  // the arena's own address
    const void* data;  // its data page
};
#pragma pack(pop)

static_assert(sizeof(Indirect) == 6 && sizeof(PushByte) == 2 && sizeof(PushWord) == 5 && sizeof(StackWord) == 4 &&
                  sizeof(CompareEaxWithMemory) == 6 && sizeof(CompareEaxWithWord) == 5 &&
                  sizeof(CompareMemoryWithByte) == 7 && sizeof(StoreWord) == 10 && sizeof(ShortJump) == 2 &&
                  sizeof(NearJump) == 5 && sizeof(Return) == 3,
              "each instruction is as long as its encoding");
static_assert(sizeof(ThunkCode) <= CODE_SLOT_BYTES && sizeof(ArenaHeader) <= CODE_SLOT_BYTES,
              "the code and the header each fit a slot");
static_assert(CODE_SLOT_BYTES * (THUNKS_PER_ARENA + 1) <= PAGE_BYTES, "the code slots fit the code page");
static_assert(sizeof(WindowThunk) * THUNKS_PER_ARENA <= PAGE_BYTES, "the thunks' data fits the data page");
static_assert(sizeof(WindowThunk) % 4 == 0 && offsetof(WindowThunk, target) % 4 == 0 &&
                  offsetof(WindowThunk, state) % 4 == 0,
              "every field the code reads or a write retargets is aligned");
static_assert(THUNK_ACTS_MAX == 3, "the filter compares three messages");
static_assert(THUNK_FREE == 0, "the code frees a thunk with a zero");

const size_t FILTER = offsetof(ThunkCode, filterMessage);
const size_t ENTER = offsetof(ThunkCode, handlePlace);
const size_t FORWARD = offsetof(ThunkCode, isForClass);
const size_t PASS = offsetof(ThunkCode, returnAddress);
const size_t KEEP_ALIVE = offsetof(ThunkCode, keepLParam);

// A jump's distance from the end of the jump at `from` to `to`, both in the
// code; the compiler refuses a short one that does not fit.
template <long Distance>
constexpr signed char shortDistance()
{
    static_assert(Distance >= -128 && Distance <= 127, "a short jump reaches 127 bytes at most");
    return static_cast<signed char>(Distance);
}
#define THUNK_SHORT_JUMP(opcode, from, to)                                                      \
    ShortJump                                                                                   \
    {                                                                                           \
        opcode, shortDistance<static_cast<long>(to) -                                           \
                              static_cast<long>(offsetof(ThunkCode, from) + sizeof(ShortJump))>() \
    }
const unsigned char JE = 0x74, JNE = 0x75;

// The code of the thunk whose data is at data and whose entry is at entry.
// With both zero it is the template, whose bytes are the layout's version.
ThunkCode codeFor(uintptr_t data, uintptr_t entry)
{
    auto field = [data](size_t offset) { return reinterpret_cast<const void*>(data + offset); };
    const unsigned char JUMP = 0xFF, PUSH_MEMORY = 0x35, JUMP_MEMORY = 0x25, CALL_MEMORY = 0x15;
    const unsigned char PUSH_STACK = 0xFF, LOAD_STACK = 0x8B;
    const signed char GWL_PROCEDURE = GWL_WNDPROC;
    ThunkCode code = {
        {JUMP, JUMP_MEMORY, field(offsetof(WindowThunk, target))},

        {LOAD_STACK, 0x44, 0x24, 8},
        {0x3B, 0x05, field(offsetof(WindowThunk, acts))},
        THUNK_SHORT_JUMP(JE, firstToEnter, ENTER),
        {0x3B, 0x05, field(offsetof(WindowThunk, acts) + sizeof(UINT))},
        THUNK_SHORT_JUMP(JE, secondToEnter, ENTER),
        {0x3B, 0x05, field(offsetof(WindowThunk, acts) + 2 * sizeof(UINT))},
        THUNK_SHORT_JUMP(JE, thirdToEnter, ENTER),
        {0xE9, static_cast<int32_t>(PASS - (offsetof(ThunkCode, othersToPass) + sizeof(NearJump)))},

        {0x6A, 0},
        0x54,
        {JUMP, PUSH_MEMORY, field(offsetof(WindowThunk, procedure))},
        {0x6A, GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS},
        {JUMP, CALL_MEMORY, field(offsetof(WindowThunk, getModuleHandleEx))},
        // Each push moves the words up by one: the fourth of the message's
        // words, 16 bytes above the return address, stays 20 bytes up.
        {PUSH_STACK, 0x74, 0x24, 20},
        {PUSH_STACK, 0x74, 0x24, 20},
        {PUSH_STACK, 0x74, 0x24, 20},
        {PUSH_STACK, 0x74, 0x24, 20},
        {0x68, reinterpret_cast<const void*>(data)},
        {JUMP, CALL_MEMORY, field(offsetof(WindowThunk, procedure))},
        0x50,
        {PUSH_STACK, 0x74, 0x24, 4},
        {JUMP, CALL_MEMORY, field(offsetof(WindowThunk, freeLibrary))},
        0x58,
        0x59,
        {0xC2, 16},

        {0x83, 0x3D, field(offsetof(WindowThunk, forClass)), 0},
        THUNK_SHORT_JUMP(JNE, classToPass, PASS),
        {0x6A, GWL_PROCEDURE},
        {PUSH_STACK, 0x74, 0x24, 8},
        {JUMP, CALL_MEMORY, field(offsetof(WindowThunk, getWindowLong))},
        {0x3D, reinterpret_cast<const void*>(entry)},
        THUNK_SHORT_JUMP(JNE, otherToPass, PASS),
        {JUMP, PUSH_MEMORY, field(offsetof(WindowThunk, saved))},
        {0x6A, GWL_PROCEDURE},
        {PUSH_STACK, 0x74, 0x24, 12},
        {JUMP, CALL_MEMORY, field(offsetof(WindowThunk, setWindowLong))},
        {0xC7, 0x05, field(offsetof(WindowThunk, state)), THUNK_FREE},

        0x59,
        {JUMP, PUSH_MEMORY, field(offsetof(WindowThunk, saved))},
        0x51,
        {JUMP, JUMP_MEMORY, field(offsetof(WindowThunk, callWindowProc))},

        {PUSH_STACK, 0x74, 0x24, 16},
        {PUSH_STACK, 0x74, 0x24, 16},
        {PUSH_STACK, 0x74, 0x24, 16},
        {PUSH_STACK, 0x74, 0x24, 16},
        {JUMP, CALL_MEMORY, field(offsetof(WindowThunk, defSubclassProc))},
        {0xC2, 24},
    };
    return code;
}

// The layout's version: FNV-1a over the template and the data's layout, so
// a copy whose code or data differ in any byte makes pages of its own.
uint32_t layoutVersion()
{
    ThunkCode code = codeFor(0, 0);
    const uint32_t shape[] = {sizeof(WindowThunk), THUNKS_PER_ARENA, CODE_SLOT_BYTES, PAGE_BYTES};
    uint32_t hash = 2166136261u;
    auto mix = [&hash](const void* bytes, size_t size) {
        for (size_t i = 0; i < size; ++i)
            hash = (hash ^ static_cast<const unsigned char*>(bytes)[i]) * 16777619u;
    };
    mix(&code, sizeof code);
    mix(shape, sizeof shape);
    return hash;
}

unsigned char* codeSlot(const void* arena, int slot)
{
    return static_cast<unsigned char*>(const_cast<void*>(arena)) + CODE_SLOT_BYTES * slot;
}

WindowThunk* thunkAt(const void* arena, int index)
{
    unsigned char* data = static_cast<unsigned char*>(const_cast<void*>(arena)) + PAGE_BYTES;
    return reinterpret_cast<WindowThunk*>(data) + index;
}

// The code slot (the header's for slot 0) as this copy writes it for arena.
void writeSlot(unsigned char* out, const void* arena, int slot)
{
    memset(out, FILL, CODE_SLOT_BYTES);
    if (slot == 0) {
        ArenaHeader header;
        memcpy(header.magic, ARENA_MAGIC, sizeof ARENA_MAGIC);
        header.layout = layoutVersion();
        header.self = arena;
        header.data = thunkAt(arena, 0);
        memcpy(out, &header, sizeof header);
        return;
    }
    ThunkCode code = codeFor(reinterpret_cast<uintptr_t>(thunkAt(arena, slot - 1)),
                             reinterpret_cast<uintptr_t>(codeSlot(arena, slot)));
    memcpy(out, &code, sizeof code);
}

unsigned char* codeOf(const WindowThunk* thunk)
{
    uintptr_t data = reinterpret_cast<uintptr_t>(thunk) & ~static_cast<uintptr_t>(PAGE_BYTES - 1);
    int index = static_cast<int>(thunk - reinterpret_cast<const WindowThunk*>(data));
    return codeSlot(reinterpret_cast<const void*>(data - PAGE_BYTES), index + 1);
}

bool known(const void* arena)
{
    const ThunkArenas& arenas = session.thunkArenas;
    for (int a = 0; a < arenas.count; ++a)
        if (arenas.arena[a] == arena)
            return true;
    return false;
}

// The variable's value: each arena's address in eight hex digits, then a
// space. Formatted by hand: this runs inside DllMain, where user32 may not.
const size_t VARIABLE_BYTES = THUNK_ARENAS_MAX * 9 + 1;

void publishArenas()
{
    const ThunkArenas& arenas = session.thunkArenas;
    char value[VARIABLE_BYTES];
    char* at = value;
    for (int a = 0; a < arenas.count; ++a) {
        uintptr_t address = reinterpret_cast<uintptr_t>(arenas.arena[a]);
        for (int shift = 28; shift >= 0; shift -= 4)
            *at++ = "0123456789ABCDEF"[(address >> shift) & 0xF];
        *at++ = ' ';
    }
    *at = '\0';
    SetEnvironmentVariableA(thunkArenasVariable(), value);
}

// The arenas the variable names that are ours to use. A value too long for
// ours, or a word that is no address, is no copy's of this layout.
void readArenas()
{
    ThunkArenas& arenas = session.thunkArenas;
    char value[VARIABLE_BYTES];
    DWORD length = GetEnvironmentVariableA(thunkArenasVariable(), value, sizeof value);
    if (length == 0 || length >= sizeof value)
        return;
    for (const char* at = value; *at && arenas.count < THUNK_ARENAS_MAX; ++at) {
        uintptr_t address = 0;
        int digits = 0;
        for (; *at && *at != ' '; ++at, ++digits) {
            char c = *at;
            int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0 || digits == 8)
                return;
            address = address << 4 | static_cast<uintptr_t>(digit);
        }
        void* arena = reinterpret_cast<void*>(address);
        if (!known(arena) && isOwnArena(arena))
            arenas.arena[arenas.count++] = arena;
        if (!*at)
            break;
    }
}

void findArenas()
{
    ThunkArenas& arenas = session.thunkArenas;
    if (arenas.found)
        return;
    arenas.found = true;
    readArenas();
}

WindowThunk* newArena()
{
    ThunkArenas& arenas = session.thunkArenas;
    void* memory = arenas.count < THUNK_ARENAS_MAX
                       ? VirtualAlloc(nullptr, ARENA_BYTES, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                       : nullptr;
    if (!memory)
        return nullptr;
    for (int slot = 0; slot <= THUNKS_PER_ARENA; ++slot)
        writeSlot(codeSlot(memory, slot), memory, slot);
    for (int i = 0; i < THUNKS_PER_ARENA; ++i) {
        WindowThunk* thunk = thunkAt(memory, i);  // zero, as VirtualAlloc gives it: free
        thunk->getModuleHandleEx = reinterpret_cast<void*>(&GetModuleHandleExW);
        thunk->freeLibrary = reinterpret_cast<void*>(&FreeLibrary);
        thunk->target = codeSlot(memory, i + 1) + FORWARD;
    }
    // Written once: from now on the code may run, and nobody may write it.
    // A process that forbids code made at run time refuses here.
    DWORD before;
    if (!VirtualProtect(memory, PAGE_BYTES, PAGE_EXECUTE_READ, &before)) {
        VirtualFree(memory, 0, MEM_RELEASE);
        return nullptr;
    }
    FlushInstructionCache(GetCurrentProcess(), memory, PAGE_BYTES);
    // Ours before another copy can see the page.
    thunkAt(memory, 0)->state = THUNK_LIVE;
    arenas.arena[arenas.count++] = memory;
    publishArenas();
    return thunkAt(memory, 0);
}

// The first thunk that matches, claimed when claim says so: another copy on
// another thread may be looking for a free one at the same time.
template <typename Matches>
WindowThunk* findThunk(Matches matches)
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

WindowThunk* claimFreeThunk(WNDPROC leadingThere)
{
    return findThunk([leadingThere](WindowThunk* candidate) {
        return thunkEntry(candidate) != leadingThere &&
               InterlockedCompareExchange(&candidate->state, THUNK_LIVE, THUNK_FREE) == THUNK_FREE;
    });
}

}  // namespace

const char* thunkArenasVariable()
{
    static char name[] = "LUNETKA_THUNKS_00000000";
    uint32_t layout = layoutVersion();
    char* digits = name + sizeof name - 9;
    for (int i = 0; i < 8; ++i)
        digits[i] = "0123456789ABCDEF"[(layout >> (28 - 4 * i)) & 0xF];
    return name;
}

bool isOwnArena(const void* arena)
{
    MEMORY_BASIC_INFORMATION code, data;
    const unsigned char* base = static_cast<const unsigned char*>(arena);
    if (!VirtualQuery(arena, &code, sizeof code) || code.State != MEM_COMMIT || code.Type != MEM_PRIVATE ||
        code.BaseAddress != arena || code.AllocationBase != arena || code.Protect != PAGE_EXECUTE_READ ||
        code.RegionSize < PAGE_BYTES)
        return false;
    if (!VirtualQuery(base + PAGE_BYTES, &data, sizeof data) || data.State != MEM_COMMIT ||
        data.AllocationBase != arena || data.Protect != PAGE_READWRITE)
        return false;
    // Only code this copy would have written itself runs.
    unsigned char expected[CODE_SLOT_BYTES];
    for (int slot = 0; slot <= THUNKS_PER_ARENA; ++slot) {
        writeSlot(expected, arena, slot);
        if (memcmp(expected, base + CODE_SLOT_BYTES * slot, CODE_SLOT_BYTES) != 0)
            return false;
    }
    return true;
}

WindowThunk* makeWindowThunk(ThunkProcedure procedure, HWND window, bool wide, bool forClass, WNDPROC leadingThere,
                             const ThunkActs* acts)
{
    findArenas();
    WindowThunk* thunk = claimFreeThunk(leadingThere);
    if (!thunk) {
        // Another copy may have made pages since we looked.
        readArenas();
        thunk = claimFreeThunk(leadingThere);
    }
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
    for (int i = 0; i < THUNK_ACTS_MAX; ++i)
        thunk->acts[i] = acts ? acts->message[i] : 0;
    thunk->target = codeOf(thunk) + (acts ? FILTER : ENTER);
    return thunk;
}

WNDPROC thunkEntry(const WindowThunk* thunk) { return reinterpret_cast<WNDPROC>(static_cast<void*>(codeOf(thunk))); }

void setThunkSaved(WindowThunk* thunk, WNDPROC saved) { thunk->saved = reinterpret_cast<void*>(saved); }

WNDPROC thunkSaved(const WindowThunk* thunk) { return reinterpret_cast<WNDPROC>(thunk->saved); }

bool thunkWide(const WindowThunk* thunk) { return thunk->wide != 0; }

HWND thunkWindow(const WindowThunk* thunk) { return thunk->window; }

SUBCLASSPROC thunkKeepAlive(WindowThunk* thunk, void* defSubclassProc)
{
    thunk->defSubclassProc = defSubclassProc;
    return reinterpret_cast<SUBCLASSPROC>(static_cast<void*>(codeOf(thunk) + KEEP_ALIVE));
}

WindowThunk* leftClassThunk(WNDPROC classProc)
{
    findArenas();
    return findThunk([=](const WindowThunk* thunk) {
        return thunk->state == THUNK_FORWARDING && thunk->forClass && thunkEntry(thunk) == classProc;
    });
}

void forwardPastUs(WindowThunk* thunk)
{
    thunk->target = codeOf(thunk) + FORWARD;
    thunk->state = THUNK_FORWARDING;
}

void freeWindowThunk(WindowThunk* thunk)
{
    thunk->target = codeOf(thunk) + FORWARD;
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
