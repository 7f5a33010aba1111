// The history tables on a real database file, written by the history's
// writer thread: rows and their merging, the open periods kept over a
// restart, pruning, deleted hosts. (The writer's own behaviour, failures
// and the log beside it: history_writer_test.cpp.)
#include <gtest/gtest.h>

#include <memory>

#include "history/history_flush.h"
#include "store/sqlite_db.h"
#include "tests/store/temp_db.h"

namespace {

constexpr UtcSeconds kHourStart = 1700002800;  // 2023-11-14 23:00:00 UTC
static_assert(kHourStart % kHourPeriod == 0, "the fixtures start on a whole hour");

Cycle answered(int ms) { return {true, ms, 0}; }
Cycle lost() { return {false, 0, 4}; }

// Long enough for any batch here on a loaded machine; the writer ends far sooner.
constexpr int kWriteWaitMs = 30000;

struct HistoryFile : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(openWithSchema(shared, file));
        ASSERT_TRUE(store.open(file.path()));
        newRun();
    }
    void newRun() {
        writer = std::make_unique<HistoryWriter>();
        ASSERT_TRUE(writer->start(file.path()));
    }
    // A minute's hand-over, and the writer's work on it.
    bool flush(HistoryBook& b, UtcSeconds now) {
        flushHistory(b, *writer, now);
        return writer->waitWritten(kWriteWaitMs);
    }
    // The program's end; the next run gets a writer of its own.
    bool end(HistoryBook& b, UtcSeconds now) {
        const bool written = finishHistory(b, *writer, now, kWriteWaitMs);
        newRun();
        return written;
    }
    bool resume(HistoryBook& b, UtcSeconds now) {
        resumeHistory(b, store, *writer, now);
        return writer->waitWritten(kWriteWaitMs);
    }
    std::string row(int host, int period, UtcSeconds start) {
        return queryText(shared, "select sent || '/' || lost || ' ' || ifnull(min, '-') || ' ' || ifnull(avg, '-') ||"
                                 " ' ' || ifnull(max, '-') || ' ' || ifnull(p50, '-') || ' ' || ifnull(p90, '-') ||"
                                 " ' ' || ifnull(jitter, '-') from history where list_id = " +
                                     std::to_string(host) + " and period = " + std::to_string(period) +
                                     " and start = '" + utcText(start) + "'");
    }
    long long count(const std::string& where) {
        return queryInt(shared, "select count(*) from history where " + where);
    }

    void TearDown() override { EXPECT_TRUE(writer->finish({}, kWriteWaitMs)); }

    TempDbFile file;
    SqliteDB shared;  // the program's own connection
    HistoryStore store;  // the windows' reading connection
    std::unique_ptr<HistoryWriter> writer;
    HistoryBook book;
};

TEST_F(HistoryFile, MinuteRowsOfAGoodALossyAndASilentHost) {
    for (UtcSeconds t = kHourStart; t < kHourStart + 60; ++t) {
        book.record(1, t, answered(250));
        book.record(2, t, t % 2 ? lost() : answered(static_cast<int>(20 + t % 4)));
        book.record(3, t, lost());
    }
    ASSERT_TRUE(flush(book, kHourStart + 60));
    EXPECT_EQ(row(1, kMinutePeriod, kHourStart), "60/0 250 250 250 250 250 0");
    EXPECT_EQ(row(2, kMinutePeriod, kHourStart), "60/30 20 21 22 20 22 2");
    EXPECT_EQ(row(3, kMinutePeriod, kHourStart), "60/60 - - - - - -");
    EXPECT_EQ(count("period <> 60"), 0) << "the 10 minutes and the hour are still open";
    EXPECT_EQ(queryText(shared, "select typeof(min) from history where list_id = 3"), "null");
}

TEST_F(HistoryFile, APeriodNamedTwiceIsMergedNotDoubled) {
    book.record(1, kHourStart + 10, answered(10));
    book.record(1, kHourStart + 11, answered(30));
    book.record(1, kHourStart + 12 - 3600, answered(100));  // the clock went back an hour
    ASSERT_TRUE(flush(book, kHourStart + 12 - 3600));
    // ... and an hour later the same minute comes round again.
    book.record(1, kHourStart + 20, answered(50));
    book.record(1, kHourStart + 21, lost());
    ASSERT_TRUE(flush(book, kHourStart + 3600 * 2));
    EXPECT_EQ(count("period = 60 and list_id = 1 and start = '" + utcText(kHourStart) + "'"), 1);
    // avg (20 * 2 + 50) / 3; min, max over both; percentiles and jitter the worse.
    EXPECT_EQ(row(1, kMinutePeriod, kHourStart), "4/1 10 30 50 50 50 20");
}

TEST_F(HistoryFile, RestartInsideAnOpenPeriodResumesIt) {
    for (UtcSeconds t = kHourStart; t < kHourStart + 30; ++t) book.record(1, t, answered(10 + t % 2 * 10));
    ASSERT_TRUE(end(book, kHourStart + 30));  // the program ends
    EXPECT_EQ(count("1"), 0);
    EXPECT_EQ(queryInt(shared, "select count(*) from history_open"), 3);

    HistoryBook next;  // the next run, 10 seconds later, in the same minute
    ASSERT_TRUE(resume(next, kHourStart + 40));
    for (UtcSeconds t = kHourStart + 40; t < kHourStart + 50; ++t) next.record(1, t, answered(40));
    next.record(1, kHourStart + 60, lost());
    ASSERT_TRUE(flush(next, kHourStart + 61));
    // 15 of 10 ms and 15 of 20 ms before, 10 of 40 ms after: average 850 / 40;
    // jitter (29 * 10 + 20) / 39 steps; p50 rank 20 (20 ms), p90 rank 36 (40 ms).
    EXPECT_EQ(row(1, kMinutePeriod, kHourStart), "40/0 10 21 40 20 40 8");
    EXPECT_EQ(queryInt(shared, "select count(*) from history_open where period = 60"), 0)
        << "a written period leaves no kept state that a crash could count again";

    // A run that starts after the kept periods ended writes them at once.
    ASSERT_TRUE(end(next, kHourStart + 62));
    HistoryBook late;
    ASSERT_TRUE(resume(late, kHourStart + 5 * kHourPeriod));
    EXPECT_EQ(row(1, kHourPeriod, kHourStart), "41/1 10 21 40 20 40 8");
    EXPECT_EQ(row(1, kTenMinutePeriod, kHourStart), "41/1 10 21 40 20 40 8");
    EXPECT_EQ(row(1, kMinutePeriod, kHourStart + 60), "1/1 - - - - - -");
    EXPECT_EQ(queryInt(shared, "select count(*) from history_open"), 0);
}

TEST_F(HistoryFile, OldRowsArePrunedByKindAlsoOfHostsNotRunningAndDeletedHostsGo) {
    const UtcSeconds now = kHourStart + 400 * kSecondsPerDay;
    struct Case { int period; UtcSeconds age; bool kept; } cases[] = {
        {kMinutePeriod, 2 * kSecondsPerDay - kMinutePeriod, true},
        {kMinutePeriod, 2 * kSecondsPerDay + kMinutePeriod, false},
        {kTenMinutePeriod, 3 * kSecondsPerDay, true},
        {kTenMinutePeriod, 61 * kSecondsPerDay, false},
        {kHourPeriod, 61 * kSecondsPerDay, true},
        {kHourPeriod, 731 * kSecondsPerDay, false},
    };
    for (const Case& c : cases) {
        const UtcSeconds start = periodStart(now - c.age, c.period);
        shared.execute(("insert into history (list_id, period, start, sent, lost) values (5, " +
                        std::to_string(c.period) + ", '" + utcText(start) + "', 1, 0)").c_str());
        shared.execute(("insert into history (list_id, period, start, sent, lost) values (6, " +
                        std::to_string(c.period) + ", '" + utcText(start) + "', 1, 0)").c_str());
        // Host 7 has not run since the start: its rows age all the same.
        shared.execute(("insert into history (list_id, period, start, sent, lost) values (7, " +
                        std::to_string(c.period) + ", '" + utcText(start) + "', 1, 0)").c_str());
    }
    ASSERT_EQ(count("1"), 18);
    book.record(5, now, answered(1));
    book.record(6, now, answered(1));
    book.forget(6);
    ASSERT_TRUE(flush(book, now));
    for (const char* host : {"5", "7"})
        for (const Case& c : cases)
            EXPECT_EQ(count(std::string("list_id = ") + host + " and period = " + std::to_string(c.period) +
                            " and start = '" + utcText(periodStart(now - c.age, c.period)) + "'"),
                      c.kept ? 1 : 0)
                << "host " << host << ", " << c.period << " aged " << c.age;
    EXPECT_EQ(count("list_id = 6"), 0) << "a deleted host's history goes with it";
}

}  // namespace
