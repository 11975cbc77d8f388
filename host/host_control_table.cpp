// The control object the host hands to a plug-in: a raw object whose first
// word points to a table of __stdcall functions at the slots the real host
// uses. Built by hand, so that it cannot share a mistake with the plug-in's
// declaration of the interface.
#include "host/host_control_table.h"

#include "host/stand_in_host.h"

namespace host {

namespace {

StandInHost* owner(void* self)
{
    return static_cast<RawHostControl*>(self)->host;
}

int __stdcall getPluginId(void* self) { return owner(self)->opGetPluginId(); }
HINSTANCE __stdcall getAppInstance(void* self) { return owner(self)->opGetAppInstance(); }
HINSTANCE __stdcall getPluginInstance(void* self) { return owner(self)->opGetPluginInstance(); }
int __stdcall queryState(void* self) { return owner(self)->opQueryState(); }
int __stdcall setStatus(void* self, int status)
{
    owner(self)->opSetStatus(status);
    return 0;
}
intptr_t __stdcall sendMessage(void* self, void* message) { return owner(self)->opSendMessage(message); }
intptr_t __stdcall sendMessageTo(void* self, int pluginId, void* message)
{
    return owner(self)->opSendMessageTo(pluginId, message);
}
int __stdcall readCell(void* self, int table, int row, int column, void* cell)
{
    return owner(self)->opReadCell(table, row, column, cell);
}
int __stdcall lockTable(void* self, int table, int row, int flags)
{
    owner(self)->opLockTable(table, row, flags);
    return 0;
}
int __stdcall unlockTable(void* self, int table, int row, int flags)
{
    owner(self)->opUnlockTable(table, row, flags);
    return 0;
}

// Slots the plug-in has no business calling; a call is reported, not served.
template <int Slot>
int __stdcall reserved(void* self)
{
    owner(self)->opReserved(Slot);
    return 0;
}

void* const operationTable[HOST_CONTROL_SLOTS] = {
    reinterpret_cast<void*>(reserved<0>),
    reinterpret_cast<void*>(getPluginId),        // 1
    reinterpret_cast<void*>(getAppInstance),     // 2
    reinterpret_cast<void*>(getPluginInstance),  // 3
    reinterpret_cast<void*>(queryState),         // 4
    reinterpret_cast<void*>(setStatus),          // 5
    reinterpret_cast<void*>(reserved<6>),
    reinterpret_cast<void*>(sendMessage),        // 7
    reinterpret_cast<void*>(sendMessageTo),      // 8
    reinterpret_cast<void*>(reserved<9>),
    reinterpret_cast<void*>(reserved<10>),
    reinterpret_cast<void*>(reserved<11>),
    reinterpret_cast<void*>(reserved<12>),
    reinterpret_cast<void*>(reserved<13>),
    reinterpret_cast<void*>(reserved<14>),
    reinterpret_cast<void*>(reserved<15>),
    reinterpret_cast<void*>(reserved<16>),
    reinterpret_cast<void*>(reserved<17>),
    reinterpret_cast<void*>(reserved<18>),
    reinterpret_cast<void*>(reserved<19>),
    reinterpret_cast<void*>(reserved<20>),
    reinterpret_cast<void*>(readCell),           // 21
    reinterpret_cast<void*>(reserved<22>),
    reinterpret_cast<void*>(lockTable),          // 23
    reinterpret_cast<void*>(unlockTable),        // 24
};

}  // namespace

void initRawHostControl(RawHostControl* control, StandInHost* host)
{
    control->table = operationTable;
    control->host = host;
}

}  // namespace host
