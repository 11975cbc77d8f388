#include "host/personality.h"

#include <stdio.h>

#include "host/host_error.h"

namespace host {

const PersonalityInfo personalityTable[] = {
    {Personality::Ansi, "ansi", "narrow windows; a stop before every unload; a mouse user"},
    {Personality::Unicode, "unicode", "the page, the configuration window and the messenger are Unicode windows"},
    {Personality::Dialog, "dialog",
     "the page is a dialog from a template; the configuration window runs IsDialogMessage"},
    {Personality::Subclassing, "subclassing",
     "the host subclasses its page before our list (SetWindowLongPtr) and after it (SetWindowSubclass)"},
    {Personality::Unloading, "unloading",
     "at its end the host subclasses its page over ours, unloads us with or without a stop, and loads us again"},
    {Personality::Rebuilding, "rebuilding", "the host destroys its page and makes a new one, with or without 221"},
};
const size_t personalityCount = sizeof personalityTable / sizeof personalityTable[0];

namespace {

// The process's kind, one per run (the ways within a kind are each host's:
// StandInHost::variant), and where a fault found in a teardown goes.
Personality current = Personality::Ansi;
void (*faultHook)(const std::string&) = nullptr;

}  // namespace

Personality personalityNamed(const std::string& name)
{
    std::string known;
    for (const PersonalityInfo& info : personalityTable) {
        if (name == info.name)
            return info.personality;
        known += known.empty() ? info.name : std::string(", ") + info.name;
    }
    throw HostError("unknown personality '" + name + "' (one of " + known + ")");
}

const char* personalityName(Personality personality)
{
    for (const PersonalityInfo& info : personalityTable) {
        if (info.personality == personality)
            return info.name;
    }
    return "?";
}

Personality personality() { return current; }
void setPersonality(Personality personality) { current = personality; }

void reportHostFault(const std::string& what)
{
    fprintf(stderr, "lunetka-host (%s): %s\n", personalityName(current), what.c_str());
    if (faultHook)
        faultHook(what);
}

void setHostFaultHook(void (*hook)(const std::string& what)) { faultHook = hook; }

}  // namespace host
