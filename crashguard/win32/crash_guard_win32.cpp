#include "crashguard/win32/crash_guard.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>

#include "crashguard/win32/call_stack.h"
#include "crashguard/win32/registry.h"
#include "crashguard/win32/thread_hook.h"

std::uint32_t ownModuleBase() {
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(reinterpret_cast<void*>(&ownModuleBase), &info, sizeof info)) return 0;
    auto base = reinterpret_cast<std::uintptr_t>(info.AllocationBase);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    std::uint32_t result = 0;
    MODULEENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && result == 0;
         more = Module32NextW(snapshot, &entry)) {
        auto lo = reinterpret_cast<std::uintptr_t>(entry.modBaseAddr);
        if (lo <= base && base <= lo + entry.modBaseSize) result = static_cast<std::uint32_t>(lo);
    }
    CloseHandle(snapshot);
    return result;
}

__attribute__((noinline)) bool installCrashGuard() {
    char key[64];
    std::snprintf(key, sizeof key, "_SEH.EntryCatchInstall_%lu",
                  static_cast<unsigned long>(ownModuleBase()));
    StrMap& process = processStrMap();
    if (process.get(key) == 1) return false;
    // Removed again by the pop thunk when this routine returns.
    pushCallFrameMode("Q-SEH._启动子程序", 0, true);
    process.set(key, 1);
    crashGuardOptions();
    threadContext();  // a crash on this thread then finds it without allocating
    hookThreadCreation();
    return true;
}

EntryGuard::EntryGuard() : frame_(guardFrameHandler) {}
