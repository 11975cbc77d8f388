#pragma once

namespace host {

class StandInHost;

const int HOST_CONTROL_SLOTS = 25;

// What the plug-in receives as its HostControl: the table pointer first.
struct RawHostControl {
    void* const* table;
    StandInHost* host;
};

void initRawHostControl(RawHostControl* control, StandInHost* host);
// The object as a host leaves it once it freed it: every slot of its table
// traps, printing the slot and ending the process at once (a call into
// freed memory would crash the host there).
void poisonRawHostControl(RawHostControl* control);

}  // namespace host
