// Recording routines in the thread's call stack, with the return-address
// hijack and with pruning.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "crashguard/win32/call_stack.h"
#include "crashguard/win32/registry.h"

namespace {

int g_depthInside = 0;

#define RECORDED __attribute__((noinline, noclone))

RECORDED int recordedInt(int x) {
    pushCallFrame("int", 0);
    g_depthInside = callStackDepth();
    return x * 3;
}

RECORDED double recordedDouble(double x) {
    pushCallFrame("double", 0);
    return x * 1.5;
}

RECORDED long long recordedTwice(int x) {
    pushCallFrame("first", 0);
    pushCallFrame("second", 0);
    g_depthInside = callStackDepth();
    return 0x100000000LL * x + 7;  // EDX:EAX both survive the thunk
}

RECORDED void recordCaller() { pushCallFrame("caller", 1); }

RECORDED int callerRecordedByCallee() {
    recordCaller();
    g_depthInside = callStackDepth();
    return 11;
}

std::string newestName() {
    RecordedFrame frames[64];
    int n = copyCallStack(frames, 64);
    return n > 0 ? frames[n - 1].name : "";
}

TEST(CallStack, HijackedRoutinesReturnNormallyAndLeaveTheStackAsItWas) {
    int before = callStackDepth();
    EXPECT_EQ(recordedInt(14), 42);
    EXPECT_EQ(g_depthInside, before + 1);
    EXPECT_EQ(callStackDepth(), before);

    EXPECT_DOUBLE_EQ(recordedDouble(4.0), 6.0);
    EXPECT_EQ(callStackDepth(), before);

    EXPECT_EQ(recordedTwice(3), 0x300000007LL);  // one return removes both entries
    EXPECT_EQ(g_depthInside, before + 2);
    EXPECT_EQ(callStackDepth(), before);

    EXPECT_EQ(callerRecordedByCallee(), 11);  // level 1: the caller's frame
    EXPECT_EQ(g_depthInside, before + 1);
    EXPECT_EQ(callStackDepth(), before);
}

TEST(CallStack, EntriesHoldNameFramePointerAndRealReturnAddress) {
    struct Probe {
        RECORDED static void run(RecordedFrame& out) {
            pushCallFrame("probe", 0);
            RecordedFrame frames[64];
            int n = copyCallStack(frames, 64);
            out = frames[n - 1];
            out.name = "";  // the entry's text dies with the entry
            EXPECT_EQ(std::string(frames[n - 1].name), "probe");
            EXPECT_EQ(frames[n - 1].framePointer,
                      reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
        }
    };
    RecordedFrame frame{};
    Probe::run(frame);
    EXPECT_NE(frame.returnAddress, 0u);
    EXPECT_NE(frame.returnAddress, popThunk());
}

TEST(CallStack, RefusesLevelsBeyondTheFrameChain) {
    int before = callStackDepth();
    EXPECT_FALSE(pushCallFrame("too far", 100000));
    EXPECT_FALSE(pushCallFrame("negative", -1));
    EXPECT_EQ(callStackDepth(), before);
}

RECORDED void pruneLeaf(const char* name) { pushCallFrame(name, 0); }
RECORDED void pruneNested() {
    pushCallFrame("nested", 0);
    pruneLeaf("deeper");
    g_depthInside = callStackDepth();  // keeps the call above from being a tail call
}

TEST(CallStack, WithoutHijackEntriesArePrunedByLaterRecords) {
    CrashGuardOptions saved = crashGuardOptions();
    crashGuardOptions().hijackReturnAddress = 0;
    destroyCallStack();
    pruneLeaf("a");
    EXPECT_EQ(callStackDepth(), 1);  // stays: nothing removes it on return
    pruneLeaf("b");                  // same frame pointer: replaces "a"
    EXPECT_EQ(callStackDepth(), 1);
    EXPECT_EQ(newestName(), "b");
    pruneNested();  // same depth as "b", then one deeper
    EXPECT_EQ(callStackDepth(), 2);
    EXPECT_EQ(newestName(), "deeper");
    recordCaller();  // this test's own frame: higher than all, removes them
    EXPECT_EQ(callStackDepth(), 1);
    EXPECT_EQ(newestName(), "caller");
    destroyCallStack();
    crashGuardOptions() = saved;
}

TEST(CallStack, ThunkIsSharedThroughTheProcessRegistry) {
    std::uint32_t thunk = popThunk();
    ASSERT_NE(thunk, 0u);
    EXPECT_EQ(processStrMap().get("_dbg.g_popRetnCallback"), static_cast<std::intptr_t>(thunk));
    const unsigned char* code = reinterpret_cast<const unsigned char*>(thunk);
    const unsigned char head[] = {0x83, 0xEC, 0x04, 0x60, 0xB8};
    EXPECT_EQ(std::memcmp(code, head, 5), 0);
    EXPECT_EQ(code[16], 0xC3);
}

}  // namespace
