// The receiver's handling of status messages, on an in-memory host list.
#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

#include "monitor/status_receiver.h"
#include "runtime/handoff_block.h"

namespace {

struct Cell {
    Text text;
    std::int32_t textColor = -2, backColor = -2;  // -2: never coloured
    int image = -2;
    int colorCalls = 0;
};

class MemoryHostList : public HostList {
public:
    explicit MemoryHostList(std::vector<std::int32_t> ids) : ids_(std::move(ids)) {}
    int findRow(std::int32_t itemData) override {
        for (size_t i = 0; i < ids_.size(); ++i)
            if (ids_[i] == itemData) return static_cast<int>(i);
        return -1;
    }
    void setCellText(int row, int column, const Text& text) override { cells_[{row, column}].text = text; }
    void setCellColors(int row, int column, std::int32_t text, std::int32_t back) override {
        Cell& c = cells_[{row, column}];
        c.textColor = text, c.backColor = back, ++c.colorCalls;
    }
    void setCellImage(int row, int column, int image) override { cells_[{row, column}].image = image; }
    Cell& cell(int row, int column) { return cells_[{row, column}]; }
    size_t touched() const { return cells_.size(); }

private:
    std::vector<std::int32_t> ids_;
    std::map<std::pair<int, int>, Cell> cells_;
};

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

}  // namespace
