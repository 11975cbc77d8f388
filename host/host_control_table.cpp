// The control object the host hands to a plug-in: a raw object whose first
// word points to a table of __stdcall functions at the slots the real host
// uses. Built by hand, so that it cannot share a mistake with the plug-in's
// declaration of the interface.
#include "host/host_control_table.h"

#include <windows.h>
#include <stdio.h>

#include "host/stand_in_host.h"

namespace host {

// The thunks the plug-in calls, each forwarding to the host that owns the object.
class HostControlOperations {
public:
    static StandInHost* owner(void* self)
    {
        return static_cast<RawHostControl*>(self)->host;
    }

    static int __stdcall getPluginId(void* self) { return owner(self)->opGetPluginId(); }
    static HINSTANCE __stdcall getAppInstance(void* self) { return owner(self)->opGetAppInstance(); }
    static HINSTANCE __stdcall getPluginInstance(void* self) { return owner(self)->opGetPluginInstance(); }
    static int __stdcall queryState(void* self) { return owner(self)->opQueryState(); }
    static int __stdcall setStatus(void* self, int status)
    {
        owner(self)->opSetStatus(status);
        return 0;
    }
    static intptr_t __stdcall sendMessage(void* self, void* message) { return owner(self)->opSendMessage(message); }
    static intptr_t __stdcall sendMessageTo(void* self, int pluginId, void* message)
    {
        return owner(self)->opSendMessageTo(pluginId, message);
    }
    static int __stdcall readCell(void* self, int table, int row, int column, void* cell)
    {
        return owner(self)->opReadCell(table, row, column, cell);
    }
    static int __stdcall lockTable(void* self, int table, int row, int flags)
    {
        owner(self)->opLockTable(table, row, flags);
        return 0;
    }
    static int __stdcall unlockTable(void* self, int table, int row, int flags)
    {
        owner(self)->opUnlockTable(table, row, flags);
        return 0;
    }

    // Slots the plug-in has no business calling; a call is reported, not served.
    template <int Slot>
    static int __stdcall reserved(void* self)
    {
        owner(self)->opReserved(Slot);
        return 0;
    }
};

namespace {

using Thunks = HostControlOperations;

void* const operationTable[HOST_CONTROL_SLOTS] = {
    reinterpret_cast<void*>(Thunks::reserved<0>),
    reinterpret_cast<void*>(Thunks::getPluginId),        // 1
    reinterpret_cast<void*>(Thunks::getAppInstance),     // 2
    reinterpret_cast<void*>(Thunks::getPluginInstance),  // 3
    reinterpret_cast<void*>(Thunks::queryState),         // 4
    reinterpret_cast<void*>(Thunks::setStatus),          // 5
    reinterpret_cast<void*>(Thunks::reserved<6>),
    reinterpret_cast<void*>(Thunks::sendMessage),        // 7
    reinterpret_cast<void*>(Thunks::sendMessageTo),      // 8
    reinterpret_cast<void*>(Thunks::reserved<9>),
    reinterpret_cast<void*>(Thunks::reserved<10>),
    reinterpret_cast<void*>(Thunks::reserved<11>),
    reinterpret_cast<void*>(Thunks::reserved<12>),
    reinterpret_cast<void*>(Thunks::reserved<13>),
    reinterpret_cast<void*>(Thunks::reserved<14>),
    reinterpret_cast<void*>(Thunks::reserved<15>),
    reinterpret_cast<void*>(Thunks::reserved<16>),
    reinterpret_cast<void*>(Thunks::reserved<17>),
    reinterpret_cast<void*>(Thunks::reserved<18>),
    reinterpret_cast<void*>(Thunks::reserved<19>),
    reinterpret_cast<void*>(Thunks::reserved<20>),
    reinterpret_cast<void*>(Thunks::readCell),           // 21
    reinterpret_cast<void*>(Thunks::reserved<22>),
    reinterpret_cast<void*>(Thunks::lockTable),          // 23
    reinterpret_cast<void*>(Thunks::unlockTable),        // 24
};

// A freed object's slot. It takes no arguments: the caller's are left on the
// stack, which does not matter as the process ends here.
template <int Slot>
void __stdcall freedSlot()
{
    fprintf(stderr, "lunetka-host: the plug-in called slot %d of a control object the host had freed\n", Slot);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
}

template <int... Slots>
struct FreedTable {
    static void* const slots[sizeof...(Slots)];
};
template <int... Slots>
void* const FreedTable<Slots...>::slots[sizeof...(Slots)] = {reinterpret_cast<void*>(freedSlot<Slots>)...};

using Freed = FreedTable<0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24>;
static_assert(sizeof Freed::slots / sizeof Freed::slots[0] == HOST_CONTROL_SLOTS, "every slot traps");

}  // namespace

void poisonRawHostControl(RawHostControl* control)
{
    control->table = Freed::slots;
    control->host = nullptr;
}

void initRawHostControl(RawHostControl* control, StandInHost* host)
{
    control->table = operationTable;
    control->host = host;
}

}  // namespace host
