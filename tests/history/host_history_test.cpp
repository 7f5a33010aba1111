// One host's periods and recent hour, and the book of all hosts.
#include <gtest/gtest.h>

#include "history/history_book.h"

namespace {

constexpr UtcSeconds kT0 = 1700000400;  // 2023-11-14 22:20:00 UTC
constexpr UtcSeconds kHourStart = kT0 - kT0 % kHourPeriod;

Cycle answered(int ms, int level = 0) { return {true, ms, level}; }
Cycle lost() { return {false, 0, 4}; }

int rowsOf(const std::vector<PeriodRow>& rows, int period) {
    int n = 0;
    for (const PeriodRow& r : rows) n += r.period == period;
    return n;
}

TEST(HostHistory, PeriodsCloseAsLaterCyclesArriveAndRollUp) {
    HostHistory h(7);
    std::vector<PeriodRow> closed;
    // 11 minutes and one second of cycles, one a second, every tenth lost.
    for (UtcSeconds t = kHourStart; t <= kHourStart + 660; ++t)
        h.record(t, (t % 10 == 0) ? lost() : answered(static_cast<int>(20 + t % 7)), closed);
    ASSERT_EQ(rowsOf(closed, kMinutePeriod), 11);
    ASSERT_EQ(rowsOf(closed, kTenMinutePeriod), 1);
    EXPECT_EQ(rowsOf(closed, kHourPeriod), 0);
    std::int64_t sent = 0, lostCount = 0;
    for (const PeriodRow& r : closed) {
        EXPECT_EQ(r.hostId, 7);
        if (r.period != kMinutePeriod || r.start >= kHourStart + 600) continue;
        EXPECT_EQ(r.figures.sent, 60);
        EXPECT_EQ(r.figures.lost, 6);
        sent += r.figures.sent;
        lostCount += r.figures.lost;
    }
    const PeriodRow& tenMinutes = *std::find_if(closed.begin(), closed.end(),
                                                [](const PeriodRow& r) { return r.period == kTenMinutePeriod; });
    EXPECT_EQ(tenMinutes.start, kHourStart);
    EXPECT_EQ(tenMinutes.figures.sent, sent);
    EXPECT_EQ(tenMinutes.figures.lost, lostCount);

    // The hour still open closes once its end has passed, even with no cycle.
    closed.clear();
    h.closeDue(kHourStart + kHourPeriod - 1, closed);
    EXPECT_EQ(rowsOf(closed, kHourPeriod), 0);
    EXPECT_EQ(rowsOf(closed, kMinutePeriod), 1);  // the 12th minute ended at +720
    h.closeDue(kHourStart + kHourPeriod, closed);
    EXPECT_EQ(rowsOf(closed, kHourPeriod), 1);
    EXPECT_EQ(closed.back().figures.sent, 661);
    EXPECT_EQ(h.openStart(0), -1);
}

TEST(HostHistory, ClockSetBackAnHourReopensEarlierPeriods) {
    HostHistory h(1);
    std::vector<PeriodRow> closed;
    h.record(kHourStart + 30, answered(10), closed);
    h.record(kHourStart + 31, answered(12), closed);
    h.record(kHourStart + 31 - 3600, answered(14), closed);  // the clock went back an hour
    ASSERT_EQ(closed.size(), 3u) << "the minute, 10 minutes and hour that were open";
    for (const PeriodRow& r : closed) EXPECT_EQ(r.figures.sent, 2);
    EXPECT_EQ(h.openStart(2), kHourStart - 3600);
    EXPECT_EQ(h.sinceProgramStart().sent(), 3);
    // The recent hour restarts: its times would no longer be in order.
    ASSERT_EQ(h.recentCount(), 1u);
    EXPECT_EQ(h.recent()[0].time, kHourStart + 31 - 3600);
}

TEST(HostHistory, RecentHourAtFullResolution) {
    HostHistory h(1);
    std::vector<PeriodRow> closed;
    for (UtcSeconds t = kT0; t < kT0 + 4000; ++t) h.record(t, (t % 3) ? answered(t % 500) : lost(), closed);
    const std::vector<RecentCycle> recent = h.recent();
    ASSERT_EQ(recent.size(), static_cast<std::size_t>(kRecentSeconds));
    EXPECT_EQ(recent.front().time, kT0 + 4000 - kRecentSeconds);
    EXPECT_EQ(recent.back().time, kT0 + 3999);
    for (const RecentCycle& c : recent) {
        ASSERT_EQ(c.answered, (c.time % 3) != 0);
        if (c.answered) {
            ASSERT_EQ(c.latencyMs, c.time % 500);
        }
    }
    // A gap longer than an hour (the task was stopped) leaves nothing stale.
    h.record(kT0 + 9000, answered(5), closed);
    EXPECT_EQ(h.recentCount(), 1u);
}

TEST(HostHistory, TaskStartResetsItsOwnFiguresAndState) {
    HostHistory h(1);
    std::vector<PeriodRow> closed;
    h.record(kT0, answered(10, 0), closed);
    h.record(kT0 + 1, answered(300, 3), closed);
    h.record(kT0 + 2, answered(310, 3), closed);
    EXPECT_EQ(h.level(), 3);
    EXPECT_EQ(h.levelSince(), kT0 + 1);
    h.taskStarted(kT0 + 10);
    h.record(kT0 + 11, lost(), closed);
    EXPECT_EQ(h.sinceTaskStart().sent(), 1);
    EXPECT_EQ(h.sinceTaskStart().lost(), 1);
    EXPECT_EQ(h.sinceProgramStart().sent(), 4);
    EXPECT_EQ(h.sinceProgramStart().max(), 310);
    EXPECT_EQ(h.level(), 4);
    EXPECT_EQ(h.levelSince(), kT0 + 11);
}

TEST(HistoryBook, ForgetDropsMemoryAndUnwrittenRows) {
    HistoryBook book;
    book.record(1, kHourStart, answered(10));
    book.record(2, kHourStart, answered(10));
    book.closeDue(kHourStart + kHourPeriod);
    ASSERT_EQ(book.pendingRows().size(), 6u);
    book.forget(1);
    EXPECT_EQ(book.host(1), nullptr);
    EXPECT_EQ(book.pendingRows().size(), 3u);
    for (const PeriodRow& r : book.pendingRows()) EXPECT_EQ(r.hostId, 2);
    EXPECT_EQ(book.forgottenHosts(), std::vector<std::int32_t>{1});
    const HistoryBatch batch = book.takeBatch(kHourStart + kHourPeriod, false);
    EXPECT_EQ(batch.rows.size(), 3u);
    EXPECT_EQ(batch.forgotten, std::vector<std::int32_t>{1});
    EXPECT_EQ(batch.hostIds, std::vector<std::int32_t>{2});
    EXPECT_FALSE(batch.openStates) << "only the end and the start keep them";
    EXPECT_TRUE(book.pendingRows().empty()) << "handed over, the rows are the writer's";
    EXPECT_TRUE(book.forgottenHosts().empty());
}

}  // namespace
