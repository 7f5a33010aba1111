// Hooking the system's thread creation, as the crash guard does: a
// CreateThread call passes through the detour with its start routine and
// parameter intact.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "support/win32/inline_hook.h"
#include "tests/hooks/code_block.h"

namespace {

InlineHook* gThreadHook = nullptr;
LPTHREAD_START_ROUTINE gSeenStart = nullptr;
void* gSeenParameter = nullptr;
int gDetourCalls = 0;

HANDLE WINAPI createRemoteThreadDetour(HANDLE process, LPSECURITY_ATTRIBUTES security,
                                       SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                                       void* parameter, DWORD flags, void* attributes,
                                       DWORD* threadId) {
    ++gDetourCalls;
    gSeenStart = start;
    gSeenParameter = parameter;
    const auto w = [](auto v) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(v)); };
    return reinterpret_cast<HANDLE>(gThreadHook->callTrampoline(
        w(process), w(security), static_cast<std::uint32_t>(stackSize), w(start), w(parameter),
        flags, w(attributes), w(threadId)));
}

DWORD WINAPI storeParameter(void* parameter) {
    *static_cast<int*>(parameter) = 4242;
    return 7;
}

// kernelbase's CreateRemoteThreadEx where it exists, else kernel32's
// CreateRemoteThread (with one argument fewer the detour's extra word is 0).
bool hookThreadCreation(InlineHook* hook, std::uintptr_t* entry) {
    const auto detour = reinterpret_cast<std::uintptr_t>(&createRemoteThreadDetour);
    if (hook->hookByName("kernelbase", "CreateRemoteThreadEx", detour)) {
        *entry = reinterpret_cast<std::uintptr_t>(
            GetProcAddress(GetModuleHandleA("kernelbase"), "CreateRemoteThreadEx"));
        return true;
    }
    *entry = reinterpret_cast<std::uintptr_t>(
        GetProcAddress(GetModuleHandleA("kernel32"), "CreateRemoteThread"));
    return hook->hookByName("kernel32", "CreateRemoteThread", detour);
}

TEST(ThreadCreationHook, CreateThreadPassesThroughTheDetour) {
    InlineHook hook;
    gThreadHook = &hook;
    std::uintptr_t entry = 0;
    ASSERT_TRUE(hookThreadCreation(&hook, &entry));
    ASSERT_NE(entry, 0u);
    const std::uint8_t hotPatch[] = {0x8B, 0xFF, 0x55, 0x8B, 0xEC};
    if (std::memcmp(reinterpret_cast<const void*>(hook.trampoline()), hotPatch, 5) == 0) {
        EXPECT_EQ(hook.copiedLength(), 5);  // Wine's and Windows' usual prologue
    }

    int value = 0;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, &storeParameter, &value, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    CloseHandle(thread);

    EXPECT_EQ(gDetourCalls, 1);
    EXPECT_EQ(gSeenStart, &storeParameter);
    EXPECT_EQ(gSeenParameter, &value);
    EXPECT_EQ(value, 4242);
    EXPECT_EQ(exitCode, 7u);
    EXPECT_NE(id, 0u);

    const std::vector<std::uint8_t> original = bytesAt(hook.trampoline(), hook.copiedLength());
    const int copied = hook.copiedLength();
    ASSERT_TRUE(hook.unhook(UnhookMode::Restore));
    EXPECT_EQ(bytesAt(entry, copied), original);
    gThreadHook = nullptr;
}

TEST(ThreadCreationHook, ModulesAndRoutinesThatAreNotThereFail) {
    InlineHook hook;
    const auto detour = reinterpret_cast<std::uintptr_t>(&createRemoteThreadDetour);
    EXPECT_FALSE(hook.hookByName("no_such_module_qerno", "CreateRemoteThreadEx", detour));
    EXPECT_FALSE(hook.hookByName("kernel32", "NoSuchRoutineQerno", detour));
    EXPECT_FALSE(hook.hookByName("ws2_32", "WSAStartup", detour));  // not loaded: never loaded here
    EXPECT_EQ(hook.stub(), 0u);
}

}  // namespace
