// Held cell writes: the list gets the newest value of each cell once, on
// the host's row as it is at the flush, while the receiver's listeners
// still hear every report, in order, as it arrives.
#include <gtest/gtest.h>

#include <vector>

#include "monitor/coalesced_host_list.h"
#include "monitor/not_started.h"
#include "monitor/status_receiver.h"
#include "runtime/handoff_block.h"
#include "tests/monitor/memory_host_list.h"

namespace {

TaskStatusMessage report(std::int32_t host, std::int32_t rtt, std::int32_t colour, std::int32_t level) {
    return {host, rtt, "网络可通", colour, rtt + 1, level, 0};
}

TEST(CoalescedHostList, NewestValuePerCellReachesTheListOnceAtTheFlush) {
    MemoryHostList list({3, 7});
    int cues = 0;  // one per held period, to arrange its flush
    CoalescedHostList held(list, [&] { ++cues; });
    StatusReceiver receiver(held);
    receiver.apply(report(7, 20, 0x00FF00, 1));
    receiver.apply(report(3, 40, 0x0000FF, 4));
    receiver.apply(report(7, 25, 0x00FFFF, 3));
    receiver.apply(report(7, 30, -1, 3));  // colour and image stay as the last report set them
    EXPECT_EQ(list.touched(), 0u);
    EXPECT_EQ(held.heldWrites(), 10);  // host 7: 3 texts, colours, image; host 3 the same
    EXPECT_EQ(cues, 1);

    held.flush();
    EXPECT_FALSE(held.holding());
    EXPECT_EQ(list.cell(1, 2).text, Text("30 ms"));
    EXPECT_EQ(list.cell(1, 5).text, Text("31 ms"));
    EXPECT_EQ(list.cell(1, 2).backColor, 0x00FFFF);
    EXPECT_EQ(list.cell(1, 2).colorCalls, 1);
    EXPECT_EQ(list.cell(1, 3).image, 2);
    EXPECT_EQ(list.cell(0, 2).text, Text("40 ms"));
    EXPECT_EQ(list.cell(0, 3).image, 3);
    EXPECT_EQ(list.runs, std::vector<int>{10});
    EXPECT_EQ(list.endedRuns, 1);

    held.flush();  // nothing held: no run
    EXPECT_EQ(list.runs.size(), 1u);
    receiver.apply(report(3, 41, -1, 4));
    EXPECT_EQ(cues, 2);
}

TEST(CoalescedHostList, ListenersHearEveryReportInOrderBeforeTheFlush) {
    MemoryHostList list({3, 7});
    CoalescedHostList held(list);
    StatusReceiver receiver(held);
    std::vector<std::pair<int, int>> heard;  // host, round-trip time
    receiver.addListener([&](const TaskStatusMessage& m) { heard.emplace_back(m.hostId, m.roundTripTime); });
    for (const TaskStatusMessage& m : {report(7, 1, 5, 1), report(3, 2, 5, 1), report(7, 3, -1, 1),
                                       report(9, 4, 5, 1), report(7, 5, -1, 1)})
        receiver.receive(makeHandoffBlock(encodeTaskStatus(m)));
    // Host 9 has no row: its report reaches no listener, as without holding.
    EXPECT_EQ(heard, (std::vector<std::pair<int, int>>{{7, 1}, {3, 2}, {7, 3}, {7, 5}}));
    EXPECT_EQ(liveHandoffBlocks(), 0);
}

TEST(CoalescedHostList, FlushFindsEachHostsRowAgain) {
    MemoryHostList list({3, 7, 9});
    CoalescedHostList held(list);
    ApplyTaskStatus(report(3, 10, 1, 1), held);
    ApplyTaskStatus(report(9, 90, 2, 2), held);
    list.removeRow(0);  // host 3 deleted before the flush; 7 and 9 move up
    held.flush();
    EXPECT_EQ(list.cell(1, 2).text, Text("90 ms"));  // host 9, now row 1
    EXPECT_EQ(list.cell(1, 2).backColor, 2);
    EXPECT_EQ(list.cell(0, 2).text, Text());         // host 7: nothing of host 3's
    EXPECT_EQ(list.cell(0, 2).colorCalls, 0);
}

// The not-started marking follows a report of the same host through the
// same held list: the newer writes win, cell by cell, as they would unheld.
TEST(CoalescedHostList, LaterWriterWinsPerCell) {
    MemoryHostList list({4});
    CoalescedHostList held(list);
    ApplyTaskStatus(report(4, 12, 0x00FF00, 2), held);
    ASSERT_TRUE(ShowNotStarted(4, held));
    held.flush();
    EXPECT_EQ(list.cell(0, 3).text, Text(kNotStartedText));
    EXPECT_EQ(list.cell(0, 2).text, Text());
    EXPECT_EQ(list.cell(0, 5).text, Text());
    EXPECT_EQ(list.cell(0, 2).backColor, 0xFFFFFF);
    EXPECT_EQ(list.cell(0, 3).image, -1);
}

// A write to a row no findRow() gave cannot be held by host: the held
// writes go first, so the direct one is not overwritten by older values.
TEST(CoalescedHostList, WriteToAnUnfoundRowGoesAfterTheHeldOnes) {
    MemoryHostList list({4, 5});
    CoalescedHostList held(list);
    ASSERT_EQ(held.findRow(4), 0);
    held.setCellText(0, 3, "old");
    held.setCellText(1, 3, "direct");  // row 1 never found
    EXPECT_FALSE(held.holding());
    EXPECT_EQ(list.cell(0, 3).text, Text("old"));
    EXPECT_EQ(list.cell(1, 3).text, Text("direct"));
}

}  // namespace
