// Helpers shared by the tests: a stand-in host with the real DLL loaded, and
// readers that check a record's bytes at offsets, reporting the caller's line.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/record_reader.h"
#include "host/stand_in_host.h"

namespace support {

// A file built beside the test programs.
std::string besideTests(const char* name);
// The DLL built beside the test programs, or the one LUNETKA_PLUGIN names.
std::string pluginPath();
// A test build of the plug-in (lunetka-failing-alloc.dll, lunetka-checked.dll)
// from the same build as pluginPath(): a campaign runs against every compiler's DLL.
std::string testBuildPath(const char* name);

// The way a kind of host does what it can do more ways than one (which way
// the unloading host ends, whether the rebuilding one says 221 first),
// picked by the running test's name: a case meets the same host alone as in
// its whole program, and a program meets every way. A test that needs one
// way sets StandInHost::variant itself.
host::HostVariant variantOfThisTest();

// A host with a fresh copy of the real plug-in (its globals start anew):
// where another host still holds the file loaded, a copy of the file under
// a name of this process's own.
std::unique_ptr<host::StandInHost> loadPlugin(const std::string& path = pluginPath());
// Whether the copy the host last loaded is still in the process.
bool pluginStillLoaded(const host::StandInHost& host);
// ... already started (HM_START, HM_SETTINGS_COLUMNS, HM_BUILD_UI).
std::unique_ptr<host::StandInHost> startPlugin();
// ... started on a contact table given as CSV, with its page (and result list) open.
std::unique_ptr<host::StandInHost> openPluginPage(const char* contactsCsv, const std::string& path = pluginPath());

// A result-slot event as the host sends it: 220 asks for the control in page
// at (x, y), 221 gives back window. The record is 68 bytes, zero-padded.
std::vector<uint8_t> slotEvent(int code, HWND page, HWND window = nullptr, int x = 0, int y = 0);
// The control a 220 record was handed back with.
HWND slotWindow(const std::vector<uint8_t>& event);
// The host sends that event and keeps its record, to read what came back.
std::vector<uint8_t> sendSlotEvent(host::StandInHost& host, int code, HWND page, HWND window = nullptr, int x = 0,
                                   int y = 0);
// 220 on page: the list handed back, or null.
HWND askForList(host::StandInHost& host, HWND page, int x = 0, int y = 0);
// 221: the host gives list back.
inline void giveListBack(host::StandInHost& host, HWND page, HWND list)
{
    sendSlotEvent(host, host::EVENT_DESTROY_CONTROL, page, list);
}
// Puts procedure in front of window's own, as a host's subclass; returns what stood there.
WNDPROC putProcedure(HWND window, WNDPROC procedure);
// A procedure of the host's put in front of window's own, each window's
// keeping what it found there: onMessage (if given) answers every message,
// handed that procedure to pass it on to; else the message passes on. It
// stays until the window ends or takeHostProcedureAway.
using HostProcedure = std::function<LRESULT(WNDPROC next, HWND, UINT, WPARAM, LPARAM)>;
void putHostProcedure(HWND window, HostProcedure onMessage = nullptr);
// Puts back what it found, where the window still lives.
void takeHostProcedureAway(HWND window);
// Whether it stands in front of window now.
bool hostProcedureInFront(HWND window);
// The messages it heard in window since it was put there.
int heardByHostProcedure(HWND window);

// Three contacts: "Ja" (row 0), then Ala and Ola, both in Opole.
extern const char TWO_IN_OPOLE[];

// A page window of the host's whose procedure runs onMessage first (if set),
// then DefWindowProc: a host page that can call the plug-in back.
HWND createHostPage(const char* title);
extern std::function<void(HWND, UINT, WPARAM, LPARAM)> onHostPageMessage;
// True when page's procedure is what the host itself last put in front:
// nothing of the plug-in is in front of it.
bool hasOwnProcedure(HWND page);
// The plug-in gave page back: the host's own procedure is in front again.
// Where the host's own subclass stands in front of ours (the subclassing
// host's), nothing can take us out of its chain: then every message must
// still reach the page's own procedure through ours.
void expectGivenBack(HWND page, const char* file, int line);
#define EXPECT_GIVEN_BACK(page) support::expectGivenBack((page), __FILE__, __LINE__)
// The list views that are children of window.
int listViewsIn(HWND window);
// This process's own top-level windows (of this thread, where the host and
// the plug-in make them) of a class and, when given, a title, oldest first:
// another test program running beside this one is never seen.
std::vector<HWND> ownWindows(const char* className, const char* title = nullptr);
// The first of them, or null.
HWND ownWindow(const char* className, const char* title = nullptr);
// The list views in them, at any depth.
int ownListViews();
// Makes a window with make() at the very handle a destroyed window had:
// handles are taken and given back until Windows is about to hand that one
// out again (a reused slot carries a new generation in the high word, so
// this takes a full turn of it). Null if it never comes round.
HWND windowAtHandle(HWND destroyed, const std::function<HWND()>& make);

// Messages a page hears from its list and its user, sent after the plug-in
// may have been unloaded: each would run unloaded code if we were still there.
void pokePage(HWND page, HWND formerList);

// Exactly one exchange of that kind, or a failure at the caller's line.
const host::Exchange& only(const std::vector<const host::Exchange*>& found, const char* file, int line);
#define ONLY(found) support::only((found), __FILE__, __LINE__)

int32_t i32(const std::vector<uint8_t>& bytes, size_t offset, const char* file, int line);
int16_t i16(const std::vector<uint8_t>& bytes, size_t offset, const char* file, int line);
uint16_t u16(const std::vector<uint8_t>& bytes, size_t offset, const char* file, int line);
#define I32(bytes, offset) support::i32((bytes), (offset), __FILE__, __LINE__)
#define I16(bytes, offset) support::i16((bytes), (offset), __FILE__, __LINE__)
#define U16(bytes, offset) support::u16((bytes), (offset), __FILE__, __LINE__)

// True when every byte in [from, to) is zero.
bool zeroBytes(const std::vector<uint8_t>& bytes, size_t from, size_t to);

// The process's committed memory (Wine leaves PrivateUsage at 0).
size_t committedBytes();

// A path in the temporary folder, with no file there yet; the file goes when the process ends.
std::string temporaryPath(const char* name);
// A whole file's bytes ("" when it cannot be read).
std::string fileText(const std::string& path);

// Whether the host's log holds that line.
bool logged(const host::StandInHost& host, const std::string& line);

// The operations the plug-in made on the host since the last clear, leaving
// out the host's own calls into the plug-in.
std::vector<std::string> pluginCalls(const host::StandInHost& host);

// One row of an expected exchange table: the operation, and for messages
// their number (0: any).
struct ExpectedExchange {
    host::Op op;
    int message = 0;
    ExpectedExchange(host::Op op_, int message_ = 0) : op(op_), message(message_) {}
};
// The plug-in's calls since the last clear against a table, row by row;
// a difference is reported at the caller's line with both sequences.
void expectSequence(const host::StandInHost& host, const std::vector<ExpectedExchange>& expected, const char* file,
                    int line);
#define EXPECT_SEQUENCE(host, ...) support::expectSequence((host), __VA_ARGS__, __FILE__, __LINE__)

}  // namespace support
