// The main window's host list as status messages reach it: the cells a
// message sets, the repaint a repeated message does not cause, and rows
// that moved up after a delete.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "monitor/status_receiver.h"
#include "monitor/task_messages.h"
#include "runtime/convert.h"
#include "runtime/win32/list_view_commands.h"
#include "tests/ui/ui_test_support.h"
#include "ui/host_list_view.h"
#include "ui/list_colours.h"
#include "ui/main_window.h"

namespace {

constexpr COLORREF kGreen = 0x00FF00, kRed = 0x0000FF, kWhite = 0xFFFFFF;

TaskStatusMessage status(int hostId, int rtt, COLORREF colour, int level) {
    TaskStatusMessage m;
    m.hostId = hostId;
    m.roundTripTime = rtt;
    m.statusText = "网络可通";
    m.color = static_cast<std::int32_t>(colour);
    m.average = rtt + 1;
    m.level = level;
    return m;
}

// Host 7 in row 0, host 8 in row 1, the window painted once.
class HostListViewTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(loadWindow(mainWindow()));
        list = unitOf(mainWindow(), MainWin::超级列表框_通讯);
        ASSERT_EQ(insertItem(list, -1, "seven", -1, 0, 7), 0);
        ASSERT_EQ(insertItem(list, -1, "eight", -1, 0, 8), 1);
        settle();
    }
    void TearDown() override { unload(mainWindow()); }

    void settle() {
        pump();
        UpdateWindow(windowHandle(list));
    }
    bool repaintPending() { return GetUpdateRect(windowHandle(list), nullptr, FALSE) != FALSE; }
    bool colours(int row, COLORREF& text, COLORREF& back) {
        CellColourStore* store = cellColoursOf(windowHandle(list));
        return store && store->find(row, 2, text, back);
    }

    Unit list;
    HostListView view;
};

TEST_F(HostListViewTest, SetsCellsAndRepaintsOnlyForChanges) {
    ApplyTaskStatus(status(7, 12, kGreen, 2), view);
    ApplyTaskStatus(status(8, 30, kRed, 3), view);
    EXPECT_EQ(itemText(list, 0, 2), "12 ms");
    EXPECT_EQ(itemText(list, 0, 3), "网络可通");
    EXPECT_EQ(itemText(list, 0, 5), "13 ms");
    EXPECT_EQ(itemImage(list, 0, 3), 1);
    EXPECT_EQ(itemText(list, 1, 2), "30 ms");
    EXPECT_EQ(itemImage(list, 1, 3), 2);
    COLORREF text = 0, back = 0;
    ASSERT_TRUE(colours(0, text, back));
    EXPECT_EQ(text, kWhite);
    EXPECT_EQ(back, kGreen);
    EXPECT_TRUE(repaintPending());
    settle();
    ASSERT_FALSE(repaintPending());

    ApplyTaskStatus(status(7, 12, kGreen, 2), view);  // the row shows this already
    EXPECT_FALSE(repaintPending());

    ApplyTaskStatus(status(7, 15, kGreen, 2), view);  // a new latency repaints its row
    EXPECT_EQ(itemText(list, 0, 2), "15 ms");
    RECT dirty{}, row{};
    ASSERT_TRUE(GetUpdateRect(windowHandle(list), &dirty, FALSE));
    ListView_GetItemRect(windowHandle(list), 0, &row, LVIR_BOUNDS);
    EXPECT_LE(dirty.bottom, row.bottom + 1);  // not the row below
    settle();

    ApplyTaskStatus(status(7, 15, kRed, 3), view);  // a new colour repaints the list
    ASSERT_TRUE(colours(0, text, back));
    EXPECT_EQ(back, kRed);
    EXPECT_EQ(itemImage(list, 0, 3), 2);
    EXPECT_TRUE(repaintPending());
}

// Colours belong to positions: after row 0 goes, host 8's row shows host 7's
// colours until host 8's next message, which must set its own even though
// that message repeats what host 8 sent before.
TEST_F(HostListViewTest, RowThatMovedUpTakesItsOwnCellsAgain) {
    ApplyTaskStatus(status(7, 12, kGreen, 2), view);
    ApplyTaskStatus(status(8, 30, kRed, 3), view);
    deleteItem(list, 0);
    ApplyTaskStatus(status(8, 30, kRed, 3), view);
    ASSERT_EQ(itemCount(list), 1);
    EXPECT_EQ(itemData(list, 0), 8);
    EXPECT_EQ(itemText(list, 0, 2), "30 ms");
    EXPECT_EQ(itemImage(list, 0, 3), 2);
    COLORREF text = 0, back = 0;
    ASSERT_TRUE(colours(0, text, back));
    EXPECT_EQ(back, kRed);
    ApplyTaskStatus(status(7, 12, kGreen, 2), view);  // a deleted host's late message changes nothing
    EXPECT_EQ(itemText(list, 0, 2), "30 ms");
}

// In a run of writes a few rows changed out of sight turn the list's
// repainting off (each would cost a repaint request per cell); rows in sight
// are written cell by cell. Either way the cells end right and the list
// repaints again afterwards.
TEST_F(HostListViewTest, RowsChangedOutOfSightTurnRepaintingOffForTheRun) {
    constexpr int kRows = 200, kFirstHost = 100;
    for (int row = 2; row < kRows; ++row) insertItem(list, -1, "host", -1, 0, kFirstHost + row);
    ShowWindow(mainWindow().handle(), SW_SHOW);
    settle();
    const HWND handle = windowHandle(list);

    const struct {
        std::vector<int> hosts;
        bool repaintedAll;
    } runs[] = {
        {{7, 8}, false},                                             // in sight
        {{kFirstHost + 150, kFirstHost + 160, kFirstHost + 170, kFirstHost + 180}, true},
    };
    for (const auto& run : runs) {
        view.beginWrites(static_cast<int>(run.hosts.size()) * 5);
        for (int host : run.hosts) ApplyTaskStatus(status(host, host, kRed, 3), view);
        view.endWrites();
        EXPECT_EQ(view.lastRunRepaintedAll(), run.repaintedAll) << run.hosts.front();
        for (int host : run.hosts) {
            const int row = host == 7 ? 0 : host == 8 ? 1 : host - kFirstHost;
            EXPECT_EQ(itemText(list, row, 2), toText(host) + " ms") << host;
            EXPECT_EQ(itemImage(list, row, 3), 2) << host;
        }
        EXPECT_TRUE(GetWindowLongPtrW(handle, GWL_STYLE) & WS_VISIBLE);
        EXPECT_TRUE(repaintPending());
        settle();
    }
}

}  // namespace
