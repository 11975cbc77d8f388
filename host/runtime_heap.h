// Bytes in use on the C runtime's heap, which the plug-in and the host share
// (the list view allocates elsewhere): what the plug-in keeps shows here.
#pragma once

#include <malloc.h>
#include <stddef.h>

namespace host {

inline size_t runtimeHeapInUse()
{
    _HEAPINFO entry;
    entry._pentry = nullptr;
    size_t used = 0;
    while (_heapwalk(&entry) == _HEAPOK)
        if (entry._useflag == _USEDENTRY)
            used += entry._size;
    return used;
}

}  // namespace host
