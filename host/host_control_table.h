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

}  // namespace host
