// The receiver's handling of status messages, on an in-memory host list,
// and its listeners.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "monitor/status_receiver.h"
#include "runtime/handoff_block.h"
#include "tests/monitor/memory_host_list.h"

namespace {

void deliver(const TaskStatusMessage& m, HostList& list) {
    ReceiveTaskStatus(makeHandoffBlock(encodeTaskStatus(m)), list);
}

TEST(StatusReceiver, WritesTheRowOfTheHostOnly) {
    MemoryHostList list({3, 7, 9});
    deliver({7, 20, "网络可通", 0x008000, 1, 0, 0}, list);
    EXPECT_EQ(list.cell(1, 2).text, Text("20 ms"));
    EXPECT_EQ(list.cell(1, 3).text, Text("网络可通"));
    EXPECT_EQ(list.cell(1, 5).text, Text("1 ms"));
    EXPECT_EQ(list.cell(1, 2).textColor, 0xFFFFFF);
    EXPECT_EQ(list.cell(1, 2).backColor, 0x008000);
    EXPECT_EQ(list.cell(1, 3).image, 0);  // level 0 shows as level 1
    EXPECT_EQ(list.touched(), 3u);        // column 4 and other rows untouched
    EXPECT_EQ(liveHandoffBlocks(), 0);    // the receiver freed the block
}

TEST(StatusReceiver, ImageIsTheLevelClampedToOneToFourMinusOne) {
    const struct { int level; int image; } cases[] = {{-3, 0}, {0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 3}, {9, 3}};
    for (const auto& c : cases) {
        MemoryHostList list({5});
        deliver({5, 250, "网络可通", 0x0000FF, 22, c.level, 0}, list);
        EXPECT_EQ(list.cell(0, 3).image, c.image) << c.level;
    }
}

TEST(StatusReceiver, ColourMinusOneKeepsColoursAndImage) {
    MemoryHostList list({5});
    deliver({5, 250, "网络可通", 0x0000FF, 22, 3, 0}, list);
    deliver({5, 0, "请求超时", -1, 90, 4, 11010}, list);
    EXPECT_EQ(list.cell(0, 2).colorCalls, 1);
    EXPECT_EQ(list.cell(0, 2).backColor, 0x0000FF);
    EXPECT_EQ(list.cell(0, 3).image, 2);
    EXPECT_EQ(list.cell(0, 2).text, Text("1000 ms"));  // a zero time with a failure shows 1000
    EXPECT_EQ(list.cell(0, 3).text, Text("请求超时"));
    EXPECT_EQ(list.cell(0, 5).text, Text("90 ms"));
}

TEST(StatusReceiver, ShownLatencyRule) {
    const struct { std::int32_t rtt, status; const char* shown; } cases[] = {
        {0, 0, "0 ms"}, {0, 11010, "1000 ms"}, {0, -1, "1000 ms"}, {5, 11013, "5 ms"}, {250, 0, "250 ms"}};
    for (const auto& c : cases) {
        MemoryHostList list({1});
        deliver({1, c.rtt, "", -1, 0, 0, c.status}, list);
        EXPECT_EQ(list.cell(0, 2).text, Text(c.shown)) << c.rtt << " " << c.status;
        EXPECT_EQ(list.cell(0, 3).text, Text());
    }
}

TEST(StatusReceiver, DropsMessagesOfUnknownHostsAndUnusableBlocks) {
    MemoryHostList list({1, 2});
    deliver({42, 20, "网络可通", 0x008000, 1, 0, 0}, list);
    EXPECT_EQ(list.touched(), 0u);
    EXPECT_EQ(liveHandoffBlocks(), 0);
    // A block that was never made: an empty payload, host 0, no row.
    static unsigned char fake[16];
    ReceiveTaskStatus(reinterpret_cast<std::uintptr_t>(fake), list);
    EXPECT_EQ(list.touched(), 0u);
}

// The listeners see each message after its row shows it, in the order they
// were added; a message that reaches no row reaches no listener.
TEST(StatusListeners, CalledInOrderAfterTheRowUpdate) {
    MemoryHostList list({3, 7});
    StatusReceiver receiver(list);
    std::vector<std::string> calls;
    receiver.addListener([&](const TaskStatusMessage& m) {
        // The row already shows this message.
        calls.push_back("a" + std::to_string(m.hostId) + ":" + list.cell(list.findRow(m.hostId), 2).text.str());
    });
    receiver.addListener([&](const TaskStatusMessage& m) { calls.push_back("b" + std::to_string(m.average)); });
    receiver.receive(makeHandoffBlock(encodeTaskStatus({7, 20, "网络可通", 0x008000, 11, 1, 0})));
    receiver.apply({3, 40, "网络可通", -1, 12, 1, 0});
    receiver.receive(makeHandoffBlock(encodeTaskStatus({42, 20, "网络可通", 0x008000, 13, 1, 0})));
    static unsigned char fake[16];  // never a block: decodes as host 0
    receiver.receive(reinterpret_cast<std::uintptr_t>(fake));
    EXPECT_EQ(calls, (std::vector<std::string>{"a7:20 ms", "b11", "a3:40 ms", "b12"}));
    EXPECT_EQ(liveHandoffBlocks(), 0);
}

TEST(StatusListeners, RemovedListenersAreNotCalled) {
    MemoryHostList list({1});
    StatusReceiver receiver(list);
    std::string calls;
    const auto a = receiver.addListener([&](const TaskStatusMessage&) { calls += 'a'; });
    const auto b = receiver.addListener([&](const TaskStatusMessage&) { calls += 'b'; });
    EXPECT_NE(a, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(receiver.addListener(nullptr), 0);  // nothing to call: not added
    EXPECT_TRUE(receiver.removeListener(a));
    EXPECT_FALSE(receiver.removeListener(a));
    EXPECT_FALSE(receiver.removeListener(0));
    EXPECT_FALSE(receiver.removeListener(99));
    receiver.apply({1, 5, "", -1, 0, 0, 0});
    EXPECT_EQ(calls, "b");
    EXPECT_EQ(receiver.listenerCount(), 1u);
    // With none left the row is still updated.
    EXPECT_TRUE(receiver.removeListener(b));
    receiver.apply({1, 6, "", -1, 0, 0, 0});
    EXPECT_EQ(list.cell(0, 2).text, Text("6 ms"));
    EXPECT_EQ(calls, "b");
}

// Changes made by a listener while a message is handed out: a removed one
// is skipped at once, an added one starts with the next message.
TEST(StatusListeners, ListenersChangingTheListWhileCalled) {
    MemoryHostList list({1});
    StatusReceiver receiver(list);
    std::string calls;
    StatusReceiver::ListenerId self = 0, later = 0;
    self = receiver.addListener([&](const TaskStatusMessage&) {
        calls += 'o';
        receiver.removeListener(self);  // once only
        receiver.removeListener(later);
        receiver.addListener([&](const TaskStatusMessage&) { calls += 'n'; });
    });
    later = receiver.addListener([&](const TaskStatusMessage&) { calls += 'l'; });
    receiver.addListener([&](const TaskStatusMessage&) { calls += 'k'; });
    receiver.apply({1, 5, "", -1, 0, 0, 0});
    EXPECT_EQ(calls, "ok");
    receiver.apply({1, 5, "", -1, 0, 0, 0});
    EXPECT_EQ(calls, "okkn");
    EXPECT_EQ(receiver.listenerCount(), 2u);
}

// A listener that pumps messages (a message box) may receive the next
// report inside its call; that one is handed out in full too.
TEST(StatusListeners, NestedReceiveReachesEveryListener) {
    MemoryHostList list({1});
    StatusReceiver receiver(list);
    std::string calls;
    receiver.addListener([&](const TaskStatusMessage& m) {
        calls += "a" + std::to_string(m.average);
        if (m.average == 1) receiver.apply({1, 5, "", -1, 2, 0, 0});
    });
    const auto b = receiver.addListener([&](const TaskStatusMessage& m) {
        calls += "b" + std::to_string(m.average);
    });
    receiver.apply({1, 5, "", -1, 1, 0, 0});
    EXPECT_EQ(calls, "a1a2b2b1");
    EXPECT_TRUE(receiver.removeListener(b));
    EXPECT_EQ(receiver.listenerCount(), 1u);
}

}  // namespace
