// The kinds of host a messenger can be. Real messengers differ from one
// another in how they build and keep the page our list lives in; the stand-in
// host can be each of them, one kind per run (lunetka-host --personality,
// LUNETKA_PERSONALITY for the test programs), so every test runs in each.
#pragma once

#include <string>

namespace host {

enum class Personality {
    Ansi,         // narrow windows; stops us before it unloads us; a mouse user
    Unicode,      // its windows are Unicode windows (the ABI's texts stay Windows-1250)
    Dialog,       // the page is a dialog, and the keyboard works as in a dialog
    Subclassing,  // the host subclasses its own page before our list and after it
    Unloading,    // the host unloads us with and without a stop, and loads us again
    Rebuilding,   // the host destroys its page and makes a new one, with and without 221
};

// Where a kind of host has more than one way to do a thing, the way one host
// object takes. Each host carries its own (StandInHost::variant), set by
// whoever made it: nothing alternates across the process, so a test meets
// the same host alone as in its whole program.
enum class UnloadWay {
    AfterStop,                 // the host stops us first
    WithoutStopAfterAMessage,  // its procedure in front of ours, the page hears a message, no stop
    WithoutStopNothingBetween, // its procedure in front of ours, nothing between, no stop
};
const int UNLOAD_WAYS = 3;
struct HostVariant {
    UnloadWay unloadWay = UnloadWay::AfterStop;  // the unloading host's end
    bool rebuildTellsUs = true;                  // the rebuilding host gives its controls back (221) first
};

struct PersonalityInfo {
    Personality personality;
    const char* name;
    const char* does;  // one line for --help and the README
};
extern const PersonalityInfo personalityTable[];
extern const size_t personalityCount;

// The personality by name; throws HostError for a name it does not know.
Personality personalityNamed(const std::string& name);
const char* personalityName(Personality personality);

// The kind of host this process is (Ansi unless set).
Personality personality();
void setPersonality(Personality personality);

// What a personality found wrong where nobody could be told at once (the
// host's teardown): printed, and handed to the hook when one is set, as the
// tests set it to fail the running test.
void reportHostFault(const std::string& what);
void setHostFaultHook(void (*hook)(const std::string& what));

}  // namespace host
