// The history tables on a real database file: rows and their merging, the
// open periods kept over a restart, pruning, deleted hosts, and a failed
// batch that is retried without touching the log.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "history/history_flush.h"
#include "runtime/lock_guard.h"
#include "store/sqlite_db.h"
#include "tests/store/temp_db.h"

namespace {

constexpr UtcSeconds kHourStart = 1700002800;  // 2023-11-14 23:00:00 UTC
static_assert(kHourStart % kHourPeriod == 0, "the fixtures start on a whole hour");

Cycle answered(int ms) { return {true, ms, 0}; }
Cycle lost() { return {false, 0, 4}; }

struct HistoryFile : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(openWithSchema(shared, file));
        ASSERT_TRUE(store.open(file.path()));
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

    void TearDown() override { deleteLock(logLock); }

    TempDbFile file;
    LockHandle logLock = createLock();  // what monitor tasks hold for a log INSERT
    SqliteDB shared;  // the program's own connection
    HistoryStore store;
    HistoryBook book;
};

TEST_F(HistoryFile, MinuteRowsOfAGoodALossyAndASilentHost) {
    for (UtcSeconds t = kHourStart; t < kHourStart + 60; ++t) {
        book.record(1, t, answered(250));
        book.record(2, t, t % 2 ? lost() : answered(static_cast<int>(20 + t % 4)));
        book.record(3, t, lost());
    }
    ASSERT_TRUE(flushHistory(book, store, kHourStart + 60, false, logLock));
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
    ASSERT_TRUE(flushHistory(book, store, kHourStart + 12 - 3600, false, logLock));
    // ... and an hour later the same minute comes round again.
    book.record(1, kHourStart + 20, answered(50));
    book.record(1, kHourStart + 21, lost());
    ASSERT_TRUE(flushHistory(book, store, kHourStart + 3600 * 2, false, logLock));
    EXPECT_EQ(count("period = 60 and list_id = 1 and start = '" + utcText(kHourStart) + "'"), 1);
    // avg (20 * 2 + 50) / 3; min, max over both; percentiles and jitter the worse.
    EXPECT_EQ(row(1, kMinutePeriod, kHourStart), "4/1 10 30 50 50 50 20");
}

TEST_F(HistoryFile, RestartInsideAnOpenPeriodResumesIt) {
    for (UtcSeconds t = kHourStart; t < kHourStart + 30; ++t) book.record(1, t, answered(10 + t % 2 * 10));
    ASSERT_TRUE(flushHistory(book, store, kHourStart + 30, true, logLock));  // the program ends
    EXPECT_EQ(count("1"), 0);
    EXPECT_EQ(queryInt(shared, "select count(*) from history_open"), 3);

    HistoryBook next;  // the next run, 10 seconds later, in the same minute
    ASSERT_TRUE(resumeHistory(next, store, kHourStart + 40, logLock));
    for (UtcSeconds t = kHourStart + 40; t < kHourStart + 50; ++t) next.record(1, t, answered(40));
    next.record(1, kHourStart + 60, lost());
    ASSERT_TRUE(flushHistory(next, store, kHourStart + 61, false, logLock));
    // 15 of 10 ms and 15 of 20 ms before, 10 of 40 ms after: average 850 / 40;
    // jitter (29 * 10 + 20) / 39 steps; p50 rank 20 (20 ms), p90 rank 36 (40 ms).
    EXPECT_EQ(row(1, kMinutePeriod, kHourStart), "40/0 10 21 40 20 40 8");
    EXPECT_EQ(queryInt(shared, "select count(*) from history_open where period = 60"), 0)
        << "a written period leaves no kept state that a crash could count again";

    // A run that starts after the kept periods ended writes them at once.
    ASSERT_TRUE(flushHistory(next, store, kHourStart + 62, true, logLock));
    HistoryBook late;
    ASSERT_TRUE(resumeHistory(late, store, kHourStart + 5 * kHourPeriod, logLock));
    EXPECT_EQ(row(1, kHourPeriod, kHourStart), "41/1 10 21 40 20 40 8");
    EXPECT_EQ(row(1, kTenMinutePeriod, kHourStart), "41/1 10 21 40 20 40 8");
    EXPECT_EQ(row(1, kMinutePeriod, kHourStart + 60), "1/1 - - - - - -");
    EXPECT_EQ(queryInt(shared, "select count(*) from history_open"), 0);
}

TEST_F(HistoryFile, OldRowsArePrunedByKindAndDeletedHostsGo) {
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
    }
    ASSERT_EQ(count("1"), 12);
    book.record(5, now, answered(1));
    book.record(6, now, answered(1));
    book.forget(6);
    ASSERT_TRUE(flushHistory(book, store, now, false, logLock));
    for (const Case& c : cases)
        EXPECT_EQ(count("list_id = 5 and period = " + std::to_string(c.period) + " and start = '" +
                        utcText(periodStart(now - c.age, c.period)) + "'"),
                  c.kept ? 1 : 0)
            << c.period << " aged " << c.age;
    EXPECT_EQ(count("list_id = 6"), 0) << "a deleted host's history goes with it";
}

TEST_F(HistoryFile, AFailedBatchIsRetriedAndNoLogRowIsLost) {
    // A batch fails half way: the trigger aborts it after host 1's rows.
    ASSERT_TRUE(shared.execute("create trigger refuse before insert on history when new.list_id = 2"
                               " begin select raise(abort, 'refused'); end"));
    std::atomic<bool> done{false};
    std::atomic<int> logged{0}, failed{0};
    // A monitor task logging on the shared connection meanwhile, under the
    // log lock as tasks do, and with no busy timeout: a row it could not
    // write is a row the log lost.
    std::thread task([&] {
        while (!done) {
            {
                const LockGuard logging(logLock);
                ++(shared.execute("insert into record (name, list_id, type) values ('web', 1, 3)") ? logged : failed);
            }
            // Tasks log at most once a second each; a writer that never pauses
            // would starve the batch's wait for the lock, which no program run does.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    UtcSeconds t = kHourStart;
    for (int minute = 0; minute < 5; ++minute) {
        for (int i = 0; i < 60; ++i, ++t) {
            book.record(1, t, answered(10));
            book.record(2, t, answered(20));
        }
        EXPECT_FALSE(flushHistory(book, store, t, false, logLock));
    }
    EXPECT_EQ(count("1"), 0) << "a failed batch leaves nothing behind";
    ASSERT_TRUE(shared.execute("drop trigger refuse"));
    EXPECT_TRUE(flushHistory(book, store, t, false, logLock));
    // The batches can be done before the task's thread has run at all: let it
    // log once before it stops, so the count below means something.
    while (logged.load() == 0 && failed.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    done = true;
    task.join();
    EXPECT_EQ(count("period = 60"), 10) << "every minute of both hosts, written by the retry";
    EXPECT_EQ(count("period = 600"), 0);
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(queryInt(shared, "select count(*) from record"), logged.load());
    EXPECT_GT(logged.load(), 0);
}

TEST_F(HistoryFile, ABacklogOfFailedBatchesIsCappedByDroppingTheOldestMinutes) {
    HistoryBook small(kPeriodKinds * 4);  // room for 12 rows, trimmed to 9
    ASSERT_TRUE(shared.execute("create trigger refuse before insert on history begin select raise(abort, 'no'); end"));
    UtcSeconds t = kHourStart;
    for (int minute = 0; minute < 25; ++minute, t += 60) {
        small.record(1, t, answered(10));
        // Only the first batch, with no row closed yet, has nothing to fail on.
        EXPECT_EQ(flushHistory(small, store, t + 1, false, logLock), minute == 0);
    }
    ASSERT_TRUE(shared.execute("drop trigger refuse"));
    ASSERT_LE(small.pendingRows().size(), 12u);
    ASSERT_TRUE(flushHistory(small, store, t, false, logLock));
    EXPECT_EQ(count("period = 600"), 2) << "the 10-minute rows, which carry the dropped minutes, stay";
    EXPECT_EQ(count("period = 60 and start = '" + utcText(t - 60) + "'"), 1) << "the newest minute stays";
    EXPECT_LT(count("period = 60"), 25);
    EXPECT_EQ(count("period = 60 and start = '" + utcText(kHourStart) + "'"), 0) << "the oldest minute went first";
}

}  // namespace
