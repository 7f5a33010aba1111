// The table of late-bound system calls (Windows build).
#include <gtest/gtest.h>

#include <windows.h>

#include "runtime/win32/platform_calls.h"

#include <string>

namespace {

PlatformCall<DWORD(WINAPI*)()> tickCount(nullptr, "GetTickCount");         // searched
PlatformCall<ULONG(WINAPI*)(ULONG)> htonlByOrdinal("ws2_32.dll", "#8");     // htonl
PlatformCall<void(WINAPI*)()> missingExport("ws2_32.dll", "NoSuchExport");
PlatformCall<void(WINAPI*)()> missingLibrary("no_such_library.dll", "Anything");
PlatformCall<void(WINAPI*)()> missingSearched(nullptr, "NoSuchExportAnywhere");
PlatformCall<int(WINAPI*)()> planted("planted_library.dll", "PlantedExport");

// The test program's own folder.
std::string programFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

TEST(PlatformCalls, ResolvesByNameOrdinalAndSearchList) {
    EXPECT_EQ(htonlByOrdinal.get()(0x01020304u), 0x04030201u);
    DWORD t = tickCount.get()();
    EXPECT_GE(GetTickCount() - t, 0u);
    EXPECT_EQ(reinterpret_cast<void*>(tickCount.get()),
              reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount")));
    EXPECT_EQ(reinterpret_cast<void*>(platform::icmpSendEcho.get()),
              reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("ICMP.DLL"), "IcmpSendEcho")));
}

// A missing library or export is a runtime error: the report names both and
// the process ends with -1.
TEST(PlatformCallsDeathTest, MissingExportIsARuntimeError) {
    EXPECT_EXIT(missingExport.get()(), testing::ExitedWithCode(-1), "ws2_32.dll.*NoSuchExport");
    EXPECT_EXIT(missingLibrary.get()(), testing::ExitedWithCode(-1), "no_such_library.dll.*Anything");
    EXPECT_EXIT(missingSearched.get()(), testing::ExitedWithCode(-1), "NoSuchExportAnywhere");
}

// A library beside the program is not the system's: the table loads its
// libraries from the system folder only, so the planted one is never taken
// (a missing library, not the planted export).
TEST(PlatformCallsDeathTest, ALibraryBesideTheProgramIsNeverLoaded) {
    HMODULE beside = LoadLibraryA((programFolder() + "planted_library.dll").c_str());
    ASSERT_NE(beside, nullptr) << "the planted library must be there for this test to mean anything";
    FreeLibrary(beside);
    EXPECT_EXIT(planted.get()(), testing::ExitedWithCode(-1), "planted_library.dll.*PlantedExport");
}

}  // namespace
