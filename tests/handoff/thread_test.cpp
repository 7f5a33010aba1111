// startThread, closeThreadHandle, waitThread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <vector>

#include "runtime/thread.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

struct Start {
    std::uintptr_t argumentSeen = 0;
    std::uintptr_t threadId = 0;
    std::promise<void> ran;
    std::shared_future<void> release;  // the routine waits for it when valid
};

int routine(std::uintptr_t argument) {
    auto* start = reinterpret_cast<Start*>(argument);
    start->argumentSeen = argument;
    start->threadId = currentThreadId();
    if (start->release.valid()) start->release.wait();
    start->ran.set_value();
    return 42;
}

TEST(Thread, StartsWithHandleAndArgument) {
    Start start;
    auto ran = start.ran.get_future();
    ThreadHandle handle = 0;
    ASSERT_TRUE(startThread(routine, reinterpret_cast<std::uintptr_t>(&start), &handle));
    ASSERT_NE(handle, 0u);
    EXPECT_TRUE(waitThread(handle, 10000));
    ran.get();
    EXPECT_EQ(start.argumentSeen, reinterpret_cast<std::uintptr_t>(&start));
    EXPECT_NE(start.threadId, 0u);
    EXPECT_NE(start.threadId, currentThreadId());
#ifdef _WIN32
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(reinterpret_cast<HANDLE>(handle), &code));
    EXPECT_EQ(code, 42u);
#endif
    EXPECT_TRUE(closeThreadHandle(handle));
    EXPECT_FALSE(closeThreadHandle(handle));  // closed already
    EXPECT_FALSE(waitThread(handle, 0));
}

TEST(Thread, StartsWithoutHandleVariable) {
    Start start;
    auto ran = start.ran.get_future();
    ASSERT_TRUE(startThread(routine, reinterpret_cast<std::uintptr_t>(&start)));
    EXPECT_EQ(ran.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

TEST(Thread, WaitTimesOutWhileTheThreadRuns) {
    Start start;
    std::promise<void> release;
    start.release = release.get_future().share();
    ThreadHandle handle = 0;
    ASSERT_TRUE(startThread(routine, reinterpret_cast<std::uintptr_t>(&start), &handle));
    EXPECT_FALSE(waitThread(handle, 50));
    EXPECT_TRUE(closeThreadHandle(handle));  // the thread runs on without its handle
    auto ran = start.ran.get_future();
    release.set_value();
    EXPECT_EQ(ran.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

TEST(Thread, RefusesNoRoutineAndBadHandles) {
    ThreadHandle handle = 123;
    EXPECT_FALSE(startThread(nullptr, 0, &handle));
    EXPECT_EQ(handle, 0u);
    EXPECT_FALSE(closeThreadHandle(0));
    EXPECT_FALSE(waitThread(0, 0));
}

#ifdef _WIN32
// The reservation is what lets a 32-bit process run hundreds of monitor threads.
// The stack's reservation: every region that shares the allocation base of a local.
int measureStack(std::uintptr_t out) {
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(&info, &info, sizeof info);
    const auto base = reinterpret_cast<std::uintptr_t>(info.AllocationBase);
    std::uintptr_t end = base;
    while (VirtualQuery(reinterpret_cast<void*>(end), &info, sizeof info) &&
           reinterpret_cast<std::uintptr_t>(info.AllocationBase) == base)
        end += info.RegionSize;
    *reinterpret_cast<std::uintptr_t*>(out) = end - base;
    return 0;
}

std::uintptr_t imageStackReserve() {
    auto* base = reinterpret_cast<const std::uint8_t*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.SizeOfStackReserve;
}

bool underWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

TEST(Thread, ReservesA256KbStack) {
    std::uintptr_t reserved = 0;
    ThreadHandle handle = 0;
    ASSERT_TRUE(startThread(measureStack, reinterpret_cast<std::uintptr_t>(&reserved), &handle));
    ASSERT_TRUE(waitThread(handle, 10000));
    closeThreadHandle(handle);
    // Wine never reserves less than 1 MB for a thread stack.
    EXPECT_EQ(reserved, underWine() ? 1024u * 1024u : 256u * 1024u);
    EXPECT_LT(reserved, imageStackReserve());  // the image's default was not used
}

HANDLE g_release = nullptr;
int waitForRelease(std::uintptr_t) { return WaitForSingleObject(g_release, INFINITE) == WAIT_OBJECT_0 ? 0 : 1; }

// Threads are started until the start is refused; what is left must still
// serve ordinary allocations, and every started thread must end normally.
TEST(Thread, RefusesToStartOnceAddressSpaceRunsLow) {
#ifdef _WIN64
    // The 64-bit stand-in build: its address space does not run low; Wine's
    // descriptor limit refuses threads first, which is a different case.
    GTEST_SKIP() << "a 64-bit process does not run out of address space";
#endif
    constexpr int kCap = 8000;  // 64-bit Windows has room for this many 256 KB stacks
    g_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(g_release, nullptr);
    std::vector<ThreadHandle> threads;
    bool refused = false;
    while (!refused && static_cast<int>(threads.size()) < kCap) {
        ThreadHandle h = 0;
        refused = !startThread(waitForRelease, 0, &h);
        if (!refused) threads.push_back(h);
        EXPECT_EQ(refused, h == 0);
    }
    const DWORD error = GetLastError();
    // Taken while the threads still hold their stacks.
    void* block = refused ? std::malloc(16 * 1024 * 1024) : nullptr;
    void* region = refused ? VirtualAlloc(nullptr, 32 * 1024 * 1024, MEM_RESERVE, PAGE_NOACCESS) : nullptr;
    SetEvent(g_release);
    int ended = 0;
    for (ThreadHandle h : threads) {
        ended += waitThread(h, 60000);
        closeThreadHandle(h);
    }
    CloseHandle(g_release);
    EXPECT_EQ(ended, static_cast<int>(threads.size()));
    if (!refused) GTEST_SKIP() << kCap << " threads fit in this address space";
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_GT(threads.size(), 1000u);  // under Wine about 1,900
    EXPECT_NE(block, nullptr);
    EXPECT_NE(region, nullptr);
    std::free(block);
    if (region) VirtualFree(region, 0, MEM_RELEASE);
    // With the threads gone, starting works again.
    ThreadHandle h = 0;
    g_release = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    ASSERT_TRUE(startThread(waitForRelease, 0, &h));
    EXPECT_TRUE(waitThread(h, 10000));
    closeThreadHandle(h);
    CloseHandle(g_release);
}
#endif

}  // namespace
