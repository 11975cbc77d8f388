// Linked only into the test build of the plug-in: every allocation the
// plug-in makes through operator new is counted from the library's load, and
// the N-th one fails with std::bad_alloc, once, or, with LUNETKA_FAIL_MODE
// "persistent", every one from the N-th on; with "foreign" it fails once
// with an exception of no standard type, as a library linked in might throw. N comes from the environment
// variable LUNETKA_FAIL_ALLOCATION, read at every allocation (none: nothing
// fails); when a failure is injected, LUNETKA_ALLOCATION_FAILED is set to
// "1" for the test to see. The plug-in allocates only through operator new:
// nothing of ours calls the C allocator.
#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include <new>

namespace {

long allocations = 0;

long failingAllocation()
{
    char text[32] = "";
    DWORD length = GetEnvironmentVariableA("LUNETKA_FAIL_ALLOCATION", text, sizeof text);
    return length > 0 && length < sizeof text ? atol(text) : 0;
}

bool failMode(const char* wanted)
{
    char mode[16] = "";
    DWORD length = GetEnvironmentVariableA("LUNETKA_FAIL_MODE", mode, sizeof mode);
    return length > 0 && length < sizeof mode && strcmp(mode, wanted) == 0;
}

struct ForeignFailure {
    int code;
};

bool shouldFail(long allocation)
{
    long failing = failingAllocation();
    return failing > 0 && (allocation == failing || (allocation > failing && failMode("persistent")));
}

void* allocate(size_t size)
{
    if (shouldFail(++allocations)) {
        SetEnvironmentVariableA("LUNETKA_ALLOCATION_FAILED", "1");
        if (failMode("foreign"))
            throw ForeignFailure{1};
        throw std::bad_alloc();
    }
    void* memory = malloc(size ? size : 1);
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

}  // namespace

void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* memory) noexcept { free(memory); }
void operator delete[](void* memory) noexcept { free(memory); }
void operator delete(void* memory, size_t) noexcept { free(memory); }
void operator delete[](void* memory, size_t) noexcept { free(memory); }
