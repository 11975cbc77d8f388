// The thunks: each way into one called directly (what it returns, how far it
// moves the stack, the words it hands on, the references it takes on the
// library, its state afterwards), on the pages the loaded plug-in made or
// checked, which this program's copy of the code finds through the process's
// variable; and what the host sees of the pages: no memory both writable and
// executable, a page that waits for no loader lock, a forged page never run.
#include <gtest/gtest.h>

#include <windows.h>
#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/window_thunk.h"
#include "host/host_layout.h"
#include "host/plugin_ids.h"
#include "host/result_list_reader.h"
#include "host/stack_check.h"
#include "tests/support/plugin_session.h"

namespace {

using namespace host::lunetka;

// What a procedure behind or beside a thunk heard.
struct Heard {
    int calls = 0;
    std::vector<uintptr_t> words;
    int referencesDuring = -1;
};
Heard ours, saved, chain;

// The thunk's references on the library, counted by stand-ins for
// GetModuleHandleExW and FreeLibrary put in the thunk's data.
int references = 0;
int mostReferences = 0;
DWORD referenceFlags = 0;
const void* referencedAddress = nullptr;
HMODULE const FAKE_MODULE = reinterpret_cast<HMODULE>(0x5A5A0000);

BOOL WINAPI countingGetModuleHandleEx(DWORD flags, LPCWSTR address, HMODULE* module)
{
    referenceFlags = flags;
    referencedAddress = address;
    *module = FAKE_MODULE;
    mostReferences = std::max(mostReferences, ++references);
    return TRUE;
}

BOOL WINAPI countingFreeLibrary(HMODULE module)
{
    EXPECT_EQ(FAKE_MODULE, module) << "the handle given back is the one taken";
    --references;
    return TRUE;
}

const LRESULT OURS = 0x1234, SAVED = 0x5678, CHAIN = 0x9ABC;

void hear(Heard& who, std::vector<uintptr_t> words)
{
    ++who.calls;
    who.words = std::move(words);
    who.referencesDuring = references;
}

LRESULT CALLBACK ourProcedure(WindowThunk* thunk, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    hear(ours, {reinterpret_cast<uintptr_t>(thunk), reinterpret_cast<uintptr_t>(hwnd), message, wParam,
                static_cast<uintptr_t>(lParam)});
    return OURS;
}

LRESULT CALLBACK savedProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    hear(saved, {reinterpret_cast<uintptr_t>(hwnd), message, wParam, static_cast<uintptr_t>(lParam)});
    return SAVED;
}

LRESULT CALLBACK defSubclassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    hear(chain, {reinterpret_cast<uintptr_t>(hwnd), message, wParam, static_cast<uintptr_t>(lParam)});
    return CHAIN;
}

const UINT PLAIN = WM_USER + 0x77;  // a message nothing of ours acts on
const ThunkActs ACTS = {{WM_NOTIFY, WM_PARENTNOTIFY, WM_NCDESTROY}};

std::vector<void*> arenasNamed()
{
    char value[256] = "";
    GetEnvironmentVariableA(thunkArenasVariable(), value, sizeof value);
    std::vector<void*> arenas;
    for (char* at = value; *at;) {
        char* end;
        arenas.push_back(reinterpret_cast<void*>(strtoul(at, &end, 16)));
        at = *end ? end + 1 : end;
    }
    return arenas;
}

class Thunk : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = support::loadPlugin();  // its DllMain made the pages, or checked them and took a thunk
        window = CreateWindowA("STATIC", "thunk", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, window);
        ours = saved = chain = Heard();
        references = mostReferences = 0;
    }
    void TearDown() override
    {
        for (WindowThunk* thunk : made) {
            thunk->getModuleHandleEx = reinterpret_cast<void*>(&GetModuleHandleExW);
            thunk->freeLibrary = reinterpret_cast<void*>(&FreeLibrary);
            freeWindowThunk(thunk);
        }
        DestroyWindow(window);
    }
    // A thunk of the plug-in's pages whose references the stand-ins count.
    WindowThunk* make(bool forClass, const ThunkActs* acts)
    {
        WindowThunk* thunk = makeWindowThunk(ourProcedure, window, false, forClass, nullptr, acts);
        if (!thunk)
            return nullptr;
        made.push_back(thunk);
        thunk->getModuleHandleEx = reinterpret_cast<void*>(&countingGetModuleHandleEx);
        thunk->freeLibrary = reinterpret_cast<void*>(&countingFreeLibrary);
        setThunkSaved(thunk, savedProcedure);
        auto arenas = arenasNamed();
        uintptr_t entry = reinterpret_cast<uintptr_t>(thunkEntry(thunk));
        bool named = false;
        for (void* arena : arenas)
            named = named || (entry - reinterpret_cast<uintptr_t>(arena) < 4096 && isOwnArena(arena));
        EXPECT_TRUE(named) << "the thunk is on a page the process's variable names, as its code would be written";
        return thunk;
    }
    // Calls one of the thunk's ways in with the words; stackDelta is how far it moved the stack.
    LRESULT call(const void* way, std::vector<uintptr_t> words)
    {
        return host::callStdcallWordsChecked(const_cast<void*>(way), words.data(), static_cast<int>(words.size()),
                                             &stackDelta);
    }
    std::vector<uintptr_t> message(UINT number)
    {
        return {reinterpret_cast<uintptr_t>(window), number, 0x3333, 0x4444};
    }

    std::unique_ptr<host::StandInHost> host;
    HWND window = nullptr;
    std::vector<WindowThunk*> made;
    int stackDelta = 0;
};

}  // namespace

TEST_F(Thunk, EnterCallsOurProcedureHoldingTheLibrary)
{
    WindowThunk* thunk = make(false, nullptr);
    ASSERT_NE(nullptr, thunk);
    EXPECT_EQ(OURS, call(reinterpret_cast<void*>(thunkEntry(thunk)), message(PLAIN)));
    EXPECT_EQ(0, stackDelta) << "the thunk takes the four words it was called with off the stack";
    std::vector<uintptr_t> handedOn = {reinterpret_cast<uintptr_t>(thunk)};
    for (uintptr_t word : message(PLAIN))
        handedOn.push_back(word);
    EXPECT_EQ(handedOn, ours.words) << "the thunk, then the message's four words";
    EXPECT_EQ(1, ours.referencesDuring) << "one reference while our procedure runs";
    EXPECT_EQ(0, references) << "and none after";
    EXPECT_EQ(static_cast<DWORD>(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS), referenceFlags);
    EXPECT_EQ(reinterpret_cast<const void*>(&ourProcedure), referencedAddress) << "the library our procedure is in";
    EXPECT_EQ(0, saved.calls);
    EXPECT_EQ(THUNK_LIVE, thunk->state);
}

// A page's thunk hands our procedure the messages it acts on, and every
// other straight to the page's own procedure, with no reference taken.
TEST_F(Thunk, FilterHandsOnlyTheMessagesWeActOnToUs)
{
    WindowThunk* thunk = make(false, &ACTS);
    ASSERT_NE(nullptr, thunk);
    void* entry = reinterpret_cast<void*>(thunkEntry(thunk));
    for (UINT acted : ACTS.message) {
        SCOPED_TRACE(acted);
        ours = saved = Heard();
        EXPECT_EQ(OURS, call(entry, message(acted)));
        EXPECT_EQ(0, stackDelta);
        EXPECT_EQ(1, ours.calls);
        EXPECT_EQ(acted, ours.words.at(2));
        EXPECT_EQ(1, ours.referencesDuring);
        EXPECT_EQ(0, saved.calls);
    }
    const UINT others[] = {PLAIN, WM_PAINT, WM_NOTIFY + 1, WM_NCDESTROY - 1, 0};
    for (UINT other : others) {
        SCOPED_TRACE(other);
        ours = saved = Heard();
        mostReferences = 0;
        EXPECT_EQ(SAVED, call(entry, message(other)));
        EXPECT_EQ(0, stackDelta);
        EXPECT_EQ(0, ours.calls);
        EXPECT_EQ(message(other), saved.words) << "the four words, to the procedure we replaced";
        EXPECT_EQ(0, mostReferences) << "no reference on the library: no loader lock";
    }
    EXPECT_EQ(THUNK_LIVE, thunk->state);
}

// Once we are let go: a window whose procedure the thunk is again gets the
// saved one back and the thunk is free; behind another procedure, or for a
// class, the thunk only forwards, for good.
TEST_F(Thunk, ForwardGivesTheWindowItsProcedureBackOnlyWhenTheThunkIsInFront)
{
    struct Case {
        const char* what;
        bool forClass;
        bool thunkInFront;
        bool givenBack;
    } const cases[] = {
        {"the thunk in front", false, true, true},
        {"the host's procedure in front", false, false, false},
        {"a class's thunk", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowThunk* thunk = make(c.forClass, &ACTS);
        ASSERT_NE(nullptr, thunk);
        WNDPROC front = c.thunkInFront ? thunkEntry(thunk) : DefWindowProcA;
        WNDPROC own = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(front)));
        forwardPastUs(thunk);
        ours = saved = Heard();
        mostReferences = 0;
        for (UINT number : {PLAIN, static_cast<UINT>(WM_NOTIFY)}) {
            EXPECT_EQ(SAVED, call(reinterpret_cast<void*>(thunkEntry(thunk)), message(number)));
            EXPECT_EQ(0, stackDelta);
            EXPECT_EQ(message(number), saved.words);
        }
        EXPECT_EQ(0, ours.calls) << "nothing of ours runs once we are let go";
        EXPECT_EQ(0, mostReferences);
        WNDPROC now = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
        EXPECT_EQ(c.givenBack ? savedProcedure : front, now);
        EXPECT_EQ(c.givenBack ? THUNK_FREE : THUNK_FORWARDING, thunk->state);
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    }
}

TEST_F(Thunk, KeepAliveHandsEveryMessageOnThroughTheChain)
{
    WindowThunk* thunk = make(false, &ACTS);
    ASSERT_NE(nullptr, thunk);
    SUBCLASSPROC entry = thunkKeepAlive(thunk, reinterpret_cast<void*>(&defSubclassProcedure));
    for (UINT number : {PLAIN, static_cast<UINT>(WM_NOTIFY)}) {
        std::vector<uintptr_t> words = message(number);
        words.push_back(reinterpret_cast<uintptr_t>(thunk));  // the subclass's id
        words.push_back(0x6666);                               // its reference data
        EXPECT_EQ(CHAIN, call(reinterpret_cast<void*>(entry), words));
        EXPECT_EQ(0, stackDelta) << "a subclass procedure takes its six words off the stack";
        EXPECT_EQ(message(number), chain.words) << "the message's four words, to DefSubclassProc";
    }
    EXPECT_EQ(0, ours.calls);
    EXPECT_EQ(0, saved.calls);
    EXPECT_EQ(0, mostReferences);
    EXPECT_EQ(THUNK_LIVE, thunk->state);
}

namespace {

typedef std::vector<std::pair<uintptr_t, size_t>> Regions;

// Committed regions that are both writable and executable.
std::set<std::pair<uintptr_t, size_t>> writableCode()
{
    std::set<std::pair<uintptr_t, size_t>> found;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        const DWORD both = PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
        if (region.State == MEM_COMMIT && (region.Protect & both))
            found.insert({reinterpret_cast<uintptr_t>(region.BaseAddress), region.RegionSize});
        if (static_cast<const char*>(region.BaseAddress) + region.RegionSize < at)
            break;
    }
    return found;
}

Regions added(const std::set<std::pair<uintptr_t, size_t>>& before)
{
    Regions now;
    for (const auto& region : writableCode())
        if (!before.count(region))
            now.push_back(region);
    return now;
}

}  // namespace

TEST(ThunkPages, NoMemoryIsEverWritableAndExecutable)
{
    auto before = writableCode();
    {
        auto host = support::openPluginPage(support::TWO_IN_OPOLE);
        host->searchFor("5", "0", "opole");
        EXPECT_EQ(0, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
        EXPECT_NE(nullptr, support::ownWindow("Lunetka")) << "the search window opened";
        EXPECT_EQ(Regions(), added(before)) << "after a load, 220, a search and the window";
        host->stop();
        host->unloadPlugin();
    }
    EXPECT_EQ(Regions(), added(before)) << "after the stop and the unload";
}

namespace {

int forgedCalls = 0;

// A page that looks like ours from its header and its protection: our
// magic and layout, its own address, each slot code that counts its calls.
unsigned char* forgePage(const void* real)
{
    auto* forged = static_cast<unsigned char*>(VirtualAlloc(nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    memset(forged, 0, 8192);
    memcpy(forged, real, 16);  // the magic and the layout
    unsigned char* self = forged;
    unsigned char* data = forged + 4096;
    memcpy(forged + 16, &self, 4);
    memcpy(forged + 20, &data, 4);
    for (int slot = 1; slot < 16; ++slot) {
        unsigned char* code = forged + 256 * slot;
        int* counter = &forgedCalls;
        const unsigned char count[] = {0xFF, 0x05};                    // inc dword [counter]
        const unsigned char answer[] = {0x31, 0xC0, 0xC2, 0x10, 0x00};  // xor eax, eax; ret 16
        memcpy(code, count, 2);
        memcpy(code + 2, &counter, 4);
        memcpy(code + 6, answer, sizeof answer);
    }
    DWORD was;
    VirtualProtect(forged, 4096, PAGE_EXECUTE_READ, &was);
    FlushInstructionCache(GetCurrentProcess(), forged, 4096);
    return forged;
}

}  // namespace

namespace {

// A second thread that holds the loader's lock, as one inside LoadLibrary or
// a DllMain does, sends the page a message. Under Wine, the page's thread
// now and then needs that lock itself for a while (seen with many test
// programs running side by side, with the page's own procedure alone in
// front as well): a try whose answer waits for the time-out is tried again,
// with the lock let go for a moment between. Where our thunk takes a
// reference for the message, every try waits.
const int LOCKED_TRIES = 10;
const DWORD LOCKED_WAIT_MS = 300;
const DWORD UNLOCKED_MS = 50;

struct LockedSend {
    HWND page;
    DWORD elapsed[LOCKED_TRIES] = {};
    int tries = 0;
    bool answeredAtOnce = false;
};

DWORD WINAPI sendHoldingTheLoaderLock(void* argument)
{
    auto* send = static_cast<LockedSend*>(argument);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto lock = reinterpret_cast<LONG(WINAPI*)(ULONG, ULONG*, ULONG_PTR*)>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrLockLoaderLock")));
    auto unlock = reinterpret_cast<LONG(WINAPI*)(ULONG, ULONG_PTR)>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrUnlockLoaderLock")));
    if (!lock || !unlock)
        return 1;
    // Once without the lock: whatever Wine loads at a thread's first send
    // across threads is loaded, and the page has answered once.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(send->page, PLAIN, 0, 0, SMTO_NORMAL, 2000, &result))
        return 1;
    while (send->tries < LOCKED_TRIES && !send->answeredAtOnce) {
        ULONG_PTR cookie = 0;
        if (lock(0, nullptr, &cookie) != 0)
            return 1;
        DWORD start = GetTickCount();
        bool answered = SendMessageTimeoutA(send->page, PLAIN, 0, 0, SMTO_NORMAL, LOCKED_WAIT_MS, &result) != 0;
        DWORD elapsed = GetTickCount() - start;
        unlock(0, cookie);
        send->elapsed[send->tries++] = elapsed;
        send->answeredAtOnce = answered && elapsed < 100;
        if (!send->answeredAtOnce)
            Sleep(UNLOCKED_MS);
    }
    return 0;
}

}  // namespace

TEST(ThunkPages, APageWithOurListWaitsForNoLoaderLock)
{
    auto host = support::openPluginPage(support::TWO_IN_OPOLE);
    LockedSend send;
    send.page = host->page().window();
    ASSERT_NE(nullptr, host->page().slotControl(RESULTS)) << "our list is in the page";
    HANDLE thread = CreateThread(nullptr, 0, sendHoldingTheLoaderLock, &send, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    // The page's thread answers sent messages while it waits, and only
    // those: Wine's own painting of the windows may load a library, which
    // waits for the lock whatever procedure the page has.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    ASSERT_EQ(0u, code) << "the thread took the loader's lock";
    std::string waits;
    for (int i = 0; i < send.tries; ++i)
        waits += std::to_string(send.elapsed[i]) + " ms ";
    EXPECT_TRUE(send.answeredAtOnce) << "the message was answered within 100 ms while the loader's lock was held; "
                                     << "the tries took " << waits;
    host->stop();
}


// A copy looks for the pages once, at its load; another copy beside it may
// make a page since. Before it makes a page of its own, a copy looks again:
// the pages stay as few as the thunks in use need.
TEST(ThunkPages, ACopyUsesThePageAnotherCopyMadeSinceItLooked)
{
    auto host = support::openPluginPage(support::TWO_IN_OPOLE);  // a copy that looked at its load
    HWND page = host->page().window();
    support::giveListBack(*host, page, host->page().slotControl(RESULTS));
    // This program's copy takes free thunks until it has made a page the
    // plug-in's copy does not know of.
    size_t pages = arenasNamed().size();
    std::vector<WindowThunk*> taken;
    while (arenasNamed().size() == pages && taken.size() < 200) {
        WindowThunk* thunk = makeWindowThunk(ourProcedure, nullptr, false, false, nullptr, nullptr);
        ASSERT_NE(nullptr, thunk);
        taken.push_back(thunk);
    }
    std::vector<void*> named = arenasNamed();
    ASSERT_EQ(pages + 1, named.size()) << "this program's copy made a page";
    EXPECT_NE(nullptr, support::askForList(*host, page)) << "the plug-in's copy subclassed the page again";
    EXPECT_EQ(named, arenasNamed()) << "it took a thunk of the page made since it looked, and made none";
    for (WindowThunk* thunk : taken)
        freeWindowThunk(thunk);
    host->stop();
}

namespace {

std::string named(const void* address)
{
    char word[16];
    snprintf(word, sizeof word, "%08lX", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(address)));
    return word;
}

// A copy starts, makes its list and searches; a header click comes through
// the page's thunk, and the menu entry through the class's.
void expectACopyWorks()
{
    auto host = support::openPluginPage(support::TWO_IN_OPOLE);
    host->searchFor("5", "0", "opole");
    HWND list = host->page().slotControl(RESULTS);
    EXPECT_EQ(2u, host::shownNames(list).size());
    host::clickHeader(list, 0);
    EXPECT_EQ((std::vector<std::string>{"Ola", "Ala"}), host::shownNames(list)) << "the click sorted";
    EXPECT_EQ(0, host->actionEvent(OPEN_WINDOW, host::EVENT_ACTIVATED));
    host->stop();
}

}  // namespace

// A host, or a child's inherited environment, may leave anything in the
// variable: a copy runs only pages that check out, and works whatever it
// reads there. A forged page, named first, looks like ours from its header
// and its protection: a copy that trusted a header would take its first free
// thunk, and run code that counts its calls.
TEST(ThunkPages, WhateverTheVariableSaysACopyWorks)
{
    support::loadPlugin();  // the variable names a page of ours
    char kept[256] = "";
    GetEnvironmentVariableA(thunkArenasVariable(), kept, sizeof kept);
    std::vector<void*> real = arenasNamed();
    ASSERT_FALSE(real.empty());
    auto* writable = static_cast<unsigned char*>(VirtualAlloc(nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    void* lone = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READ);
    void* reserved = VirtualAlloc(nullptr, 8192, MEM_RESERVE, PAGE_NOACCESS);
    auto* readOnlyData = static_cast<unsigned char*>(VirtualAlloc(nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD was;
    VirtualProtect(readOnlyData, 4096, PAGE_EXECUTE_READ, &was);
    VirtualProtect(readOnlyData + 4096, 4096, PAGE_READONLY, &was);
    unsigned char* forged = forgePage(real[0]);
    EXPECT_FALSE(isOwnArena(forged)) << "its code is not what ours would be";
    const struct {
        const char* what;
        std::string value;
    } cases[] = {
        {"longer than any copy writes", std::string(120, '0')},
        {"a word that is no address", "ZZZZZZZZ " + std::string(kept)},
        {"nine digits", "123456789 " + std::string(kept)},
        {"the last word without its space", std::string(kept) + named(real[0])},
        {"nothing mapped", named(nullptr) + " " + kept},
        {"reserved, not committed", named(reserved) + " " + kept},
        {"an image", named(GetModuleHandleA(nullptr)) + " " + kept},
        {"writable memory", named(writable) + " " + kept},
        {"the middle of an allocation", named(writable + 4096) + " " + kept},
        {"inside a page of ours", named(static_cast<char*>(real[0]) + 256) + " " + kept},
        {"code with nothing after it", named(lone) + " " + kept},
        {"code whose data page is read-only", named(readOnlyData) + " " + kept},
        {"a forged page", named(forged) + " " + kept},
    };
    forgedCalls = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(SetEnvironmentVariableA(thunkArenasVariable(), c.value.c_str()));
        expectACopyWorks();
        SetEnvironmentVariableA(thunkArenasVariable(), kept);
    }
    EXPECT_EQ(0, forgedCalls) << "nothing ran the forged page's code";
    for (void* memory : {static_cast<void*>(writable), lone, reserved, static_cast<void*>(readOnlyData),
                         static_cast<void*>(forged)})
        VirtualFree(memory, 0, MEM_RELEASE);
}

namespace {

// Points the library's import of a kernel32 function at replacement, as a
// hostile host (or a hooking tool) may; returns what stood there.
void* replaceImport(HMODULE library, const char* name, void* replacement)
{
    auto* base = reinterpret_cast<unsigned char*>(library);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    void* real = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name));
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        for (auto* slot = reinterpret_cast<void**>(base + d->FirstThunk); *slot; ++slot) {
            if (*slot != real)
                continue;
            DWORD was;
            VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was);
            void* before = *slot;
            *slot = replacement;
            VirtualProtect(slot, sizeof *slot, was, &was);
            return before;
        }
    }
    return nullptr;
}

LPVOID WINAPI noMemory(LPVOID, SIZE_T, DWORD, DWORD)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

BOOL WINAPI noCodeMayRun(LPVOID, SIZE_T, DWORD, PDWORD)
{
    SetLastError(ERROR_ACCESS_DENIED);  // as a process that forbids code made at run time answers
    return FALSE;
}

}  // namespace

// Windows gives no memory for a page of thunks, or refuses to let it run (a
// process that forbids code made at run time): the copy makes no page, says
// the page it could not subclass, and works on without it.
TEST(ThunkPages, NoPageOfThunksCanBeMade)
{
    const struct {
        const char* import;
        void* replacement;
    } refusals[] = {
        {"VirtualAlloc", reinterpret_cast<void*>(&noMemory)},
        {"VirtualProtect", reinterpret_cast<void*>(&noCodeMayRun)},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.import);
        auto host = support::startPlugin();
        host->setContacts(host::ContactTable::fromCsvText(support::TWO_IN_OPOLE, "test"));
        // Every thunk of every page in use: the next one needs a new page.
        std::vector<WindowThunk*> held;
        for (void* arena : arenasNamed()) {
            WindowThunk* data;
            memcpy(&data, static_cast<char*>(arena) + 20, sizeof data);  // the header's data page
            for (int i = 0; i < THUNKS_PER_ARENA; ++i)
                if (InterlockedCompareExchange(&data[i].state, THUNK_LIVE, THUNK_FREE) == THUNK_FREE)
                    held.push_back(&data[i]);
        }
        size_t pages = arenasNamed().size();
        void* real = replaceImport(host->pluginModule(), refusal.import, refusal.replacement);
        ASSERT_NE(nullptr, real);
        host->page().open();
        replaceImport(host->pluginModule(), refusal.import, real);
        for (WindowThunk* thunk : held)
            thunk->state = THUNK_FREE;
        EXPECT_EQ(pages, arenasNamed().size()) << "no page was made";
        EXPECT_TRUE(support::logged(*host, "the result list's page could not be subclassed: header clicks and "
                                           "double clicks do nothing"));
        host->searchFor("5", "0", "opole");
        EXPECT_EQ(2u, host::shownNames(host->page().slotControl(RESULTS)).size()) << "the list works on";
        host->stop();
    }
}
