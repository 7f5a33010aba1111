// The statistics tooltip's texts.
#include <gtest/gtest.h>

#include "history/statistics_text.h"

namespace {

constexpr UtcSeconds kT0 = 1700000000;

TEST(StatisticsText, LineDurationAndTip) {
    LatencySummary s;
    for (int i = 0; i < 3588; ++i) s.addAnswered(i % 2 ? 12 : 10);
    for (int i = 0; i < 12; ++i) s.addLost();
    s.addAnswered(240);
    s.addAnswered(8);
    EXPECT_EQ(statisticsLine(s), Text("发送 3602 · 丢失 12 (0.3%) · 最小 8 ms · 平均 11 ms · 最大 240 ms · 抖动 2 ms"));
    LatencySummary silent;
    silent.addLost();
    EXPECT_EQ(statisticsLine(silent), Text("发送 1 · 丢失 1 (100.0%)"));

    struct Case { UtcSeconds seconds; const char* text; } cases[] = {
        {0, "0 秒"}, {59, "59 秒"}, {312, "5 分 12 秒"}, {11100, "3 小时 5 分"}, {-5, "0 秒"}};
    for (const Case& c : cases) EXPECT_EQ(durationText(c.seconds), Text(c.text)) << c.seconds;

    HostHistory host(1);
    EXPECT_TRUE(statisticsTip(host, true, kT0).empty());
    std::vector<PeriodRow> closed;
    host.record(kT0, {true, 20, 0}, closed);
    host.record(kT0 + 1, {false, 0, 4}, closed);
    host.taskStarted(kT0 + 2);
    host.record(kT0 + 3, {true, 300, 3}, closed);
    EXPECT_EQ(statisticsTip(host, true, kT0 + 65),
              Text("程序启动以来：发送 3 · 丢失 1 (33.3%) · 最小 20 ms · 平均 160 ms · 最大 300 ms · 抖动 280 ms\r\n"
                   "本次启动以来：发送 1 · 丢失 0 (0.0%) · 最小 300 ms · 平均 300 ms · 最大 300 ms\r\n"
                   "当前：网络异常，已持续 1 分 2 秒"));
    const Text stopped = statisticsTip(host, false, kT0 + 65);
    EXPECT_EQ(stopped.str().substr(stopped.str().rfind('\n') + 1), Text("当前：已停止").str());
}

}  // namespace
