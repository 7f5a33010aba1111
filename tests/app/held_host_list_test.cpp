// The program's host list under a burst of reports: the real list view ends
// up showing each host's newest values, colours and image included, its
// repainting is back on afterwards, and the receiver's listeners heard
// every report in order. A held write left alone reaches the list by the
// flush timer.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>
#include <vector>

#include "app/held_host_list.h"
#include "app/main_actions.h"
#include "monitor/status_receiver.h"
#include "monitor/task_messages.h"
#include "runtime/convert.h"
#include "runtime/handoff_block.h"
#include "runtime/win32/list_view_commands.h"
#include "tests/ui/ui_test_support.h"
#include "ui/list_colours.h"
#include "ui/main_window.h"

namespace {

constexpr int kHosts = 150;  // enough changed cells for a run with repainting off
constexpr int kRounds = 3;

TaskStatusMessage report(int host, int round) {
    TaskStatusMessage m;
    m.hostId = host;
    m.roundTripTime = round * 1000 + host;
    m.statusText = round % 2 ? "请求超时" : "网络可通";
    m.color = round % 2 ? 0x0000FF : 0x00FF00;
    m.average = round;
    m.level = round + 1;
    m.status = 0;
    return m;
}

void send(const TaskStatusMessage& m) {
    ApplyStatusReport(static_cast<std::intptr_t>(makeHandoffBlock(encodeTaskStatus(m))), 0);
}

class HeldHostListTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(loadWindow(mainWindow()));
        ShowWindow(mainWindow().handle(), SW_SHOW);
        list = unitOf(mainWindow(), MainWin::超级列表框_通讯);
        for (int host = 1; host <= kHosts; ++host) insertItem(list, -1, "host " + toText(host), -1, 0, host);
        listener = programStatusReceiver().addListener(
            [this](const TaskStatusMessage& m) { heard.emplace_back(m.hostId, m.roundTripTime); });
        flushHostList();
        pump();
    }
    void TearDown() override {
        programStatusReceiver().removeListener(listener);
        unload(mainWindow());
    }

    Unit list;
    StatusReceiver::ListenerId listener = 0;
    std::vector<std::pair<int, int>> heard;
};

TEST_F(HeldHostListTest, BurstEndsWithTheNewestValuesOnEveryRow) {
    std::vector<std::pair<int, int>> sent;
    for (int round = 0; round < kRounds; ++round)
        for (int host = 1; host <= kHosts; ++host) {
            send(report(host, round));
            sent.emplace_back(host, report(host, round).roundTripTime);
        }
    flushHostList();
    EXPECT_EQ(heard, sent);

    const TaskStatusMessage last = report(1, kRounds - 1);
    const HWND view = windowHandle(list);
    CellColourStore* colours = cellColoursOf(view);
    ASSERT_NE(colours, nullptr);
    for (int row = 0; row < kHosts; ++row) {
        const int host = row + 1;
        EXPECT_EQ(itemText(list, row, 2), toText((kRounds - 1) * 1000 + host) + " ms") << host;
        EXPECT_EQ(itemText(list, row, 3), last.statusText) << host;
        EXPECT_EQ(itemText(list, row, 5), toText(last.average) + " ms") << host;
        EXPECT_EQ(itemImage(list, row, 3), last.level - 1) << host;
        COLORREF text = 0, back = 0;
        ASSERT_TRUE(colours->find(row, 2, text, back)) << host;
        EXPECT_EQ(back, static_cast<COLORREF>(last.color)) << host;
    }

    // Repainting is on again: the list is shown, and a change asks for a repaint.
    EXPECT_TRUE(GetWindowLongPtrW(view, GWL_STYLE) & WS_VISIBLE);
    UpdateWindow(view);
    ASSERT_FALSE(GetUpdateRect(view, nullptr, FALSE));
    send(report(1, kRounds));
    flushHostList();
    EXPECT_TRUE(GetUpdateRect(view, nullptr, FALSE));
}

TEST_F(HeldHostListTest, HeldWriteReachesTheListByTheTimer) {
    send(report(5, 0));  // due at once: the last flush is long past
    send(report(5, 1));  // held until the timer
    for (int waited = 0; waited < 5000 && itemText(list, 4, 3) != "请求超时"; waited += 10) {
        pump();
        Sleep(10);
    }
    EXPECT_EQ(itemText(list, 4, 2), "1005 ms");
    EXPECT_EQ(itemText(list, 4, 3), "请求超时");
}

}  // namespace
