// The DLL as the host finds it: one export, by its decorated name, __stdcall.
#include <gtest/gtest.h>

#include <windows.h>

#include "host/stack_check.h"
#include "tests/support/plugin_session.h"

TEST(Export, OnlyTheDecoratedEntryIsExported)
{
    HMODULE module = LoadLibraryA(support::pluginPath().c_str());
    ASSERT_NE(nullptr, module);
    EXPECT_NE(nullptr, GetProcAddress(module, "_IMessageProc@4"));
    EXPECT_EQ(nullptr, GetProcAddress(module, "IMessageProc"));
    EXPECT_EQ(nullptr, GetProcAddress(module, "IMessageProc@4"));

    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    const IMAGE_NT_HEADERS* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, nt->FileHeader.Machine);
    const IMAGE_DATA_DIRECTORY& exports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(0u, exports.VirtualAddress);
    const IMAGE_EXPORT_DIRECTORY* directory =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exports.VirtualAddress);
    EXPECT_EQ(1u, directory->NumberOfNames);
    // lld numbers ordinals from 0 and leaves that slot empty: count the
    // addresses that lead somewhere.
    const DWORD* addresses = reinterpret_cast<const DWORD*>(base + directory->AddressOfFunctions);
    unsigned entries = 0;
    for (DWORD i = 0; i < directory->NumberOfFunctions; ++i)
        entries += addresses[i] != 0;
    EXPECT_EQ(1u, entries);
    FreeLibrary(module);
}

TEST(Export, EntryCleansItsOwnArgument)
{
    HMODULE module = LoadLibraryA(support::pluginPath().c_str());
    ASSERT_NE(nullptr, module);
    void* entry = reinterpret_cast<void*>(GetProcAddress(module, "_IMessageProc@4"));
    ASSERT_NE(nullptr, entry);
    std::vector<uint8_t> record = host::messageRecord(host::MSG_PLUGIN_NET);
    int stackDelta = 1;
    EXPECT_EQ(512, host::callStdcallChecked(entry, record.data(), &stackDelta));
    EXPECT_EQ(0, stackDelta) << "a cdecl entry would leave its argument on the stack";
    // No record at all: answered 0, nothing read.
    stackDelta = 1;
    EXPECT_EQ(0, host::callStdcallChecked(entry, nullptr, &stackDelta));
    EXPECT_EQ(0, stackDelta);
    FreeLibrary(module);
}

TEST(Export, LoadsWithoutFailureAndUnloadsCleanly)
{
    for (int i = 0; i < 3; ++i) {
        auto host = support::startPlugin();
        EXPECT_TRUE(host->abiErrors().empty());
        host->stop();
    }
}

// A host that ends its process with the plug-in still loaded: the library's
// entry point hears of the process's end and runs nothing, the process ends
// cleanly. Run alone, last (CTest's plugin_process_exit): the library stays
// loaded to the end of the program.
TEST(Export, ProcessEndsWithTheLibraryStillLoaded)
{
    static host::StandInHost* kept = new host::StandInHost;  // never destroyed: the process ends first
    kept->loadPlugin(support::pluginPath());
    EXPECT_EQ(1, kept->start());
}
