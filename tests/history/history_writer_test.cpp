// The history's writer thread on a real database file: the hand-over never
// waits for the file, a failed batch is retried from the backlog (capped),
// the end writes everything before it returns, the windows read each row
// once while it writes, and a monitor task's log rows all get through.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "history/history_flush.h"
#include "monitor/log_write.h"
#include "runtime/lock.h"
#include "store/sqlite_db.h"
#include "tests/store/temp_db.h"

namespace {

constexpr UtcSeconds kHourStart = 1700002800;  // 2023-11-14 23:00:00 UTC
static_assert(kHourStart % kHourPeriod == 0, "the fixtures start on a whole hour");
constexpr int kWriteWaitMs = 30000;
// The program's shared connection waits this long inside SQLite.
constexpr int kSharedBusyWaitMs = 100;

Cycle answered(int ms) { return {true, ms, 0}; }

struct HistoryWriterFile : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(openWithSchema(shared, file));
        ASSERT_TRUE(shared.setBusyTimeout(kSharedBusyWaitMs));
        ASSERT_TRUE(reader.open(file.path()));
    }
    void TearDown() override { deleteLock(logLock); }
    // A minute of one cycle a second for hosts 1..hosts.
    void feedMinute(HistoryBook& b, UtcSeconds start, int hosts) {
        for (UtcSeconds t = start; t < start + kMinutePeriod; ++t)
            for (int host = 1; host <= hosts; ++host) b.record(host, t, answered(10 + host % 7));
    }
    long long count(const std::string& where) { return queryInt(shared, "select count(*) from history where " + where); }

    TempDbFile file;
    LockHandle logLock = createLock();
    SqliteDB shared;       // the program's own connection
    HistoryStore reader;   // the windows' reading connection
    HistoryBook book;
};

TEST_F(HistoryWriterFile, TheHandOverReturnsWhileTheFileIsHeldAndTheWriterWritesLater) {
    HistoryWriter writer;
    ASSERT_TRUE(writer.start(file.path()));
    feedMinute(book, kHourStart, 3);
    ASSERT_TRUE(shared.execute("BEGIN IMMEDIATE"));  // another writer holds the file
    flushHistory(book, writer, kHourStart + kMinutePeriod);
    // Back before anything could be written: the hand-over did not write.
    EXPECT_EQ(count("1"), 0);
    EXPECT_TRUE(book.pendingRows().empty());

    // Meanwhile the graph finds each closed minute with the writer, once.
    const auto unwritten = writer.closedRows(reader, 2, kMinutePeriod, kHourStart, kHourStart + kHourPeriod);
    ASSERT_EQ(unwritten.size(), 1u);
    EXPECT_EQ(unwritten[0].start, kHourStart);
    ASSERT_TRUE(shared.execute("COMMIT"));
    ASSERT_TRUE(writer.waitWritten(kWriteWaitMs));
    EXPECT_EQ(count("period = 60"), 3);
    EXPECT_EQ(writer.backlogRows(), 0u);
    const auto written = writer.closedRows(reader, 2, kMinutePeriod, kHourStart, kHourStart + kHourPeriod);
    ASSERT_EQ(written.size(), 1u) << "from the file now, and not also from the backlog";
    EXPECT_EQ(written[0].figures.sent, 60);
    EXPECT_TRUE(writer.finish({}, kWriteWaitMs));
}

TEST_F(HistoryWriterFile, AFailedBatchIsRetriedNextMinuteAndNoLogRowIsLost) {
    // Batches fail: the trigger aborts the transaction holding host 2's rows.
    ASSERT_TRUE(shared.execute("create trigger refuse before insert on history when new.list_id = 2"
                               " begin select raise(abort, 'refused'); end"));
    HistoryWriter writer;
    ASSERT_TRUE(writer.start(file.path()));
    std::atomic<bool> done{false};
    std::atomic<int> logged{0}, failed{0};
    // A monitor task logging on the shared connection as tasks do
    // (monitor/log_write.h) while the writer writes: a row it could not
    // write is a row the log lost.
    std::thread task([&] {
        while (!done) {
            ++(WriteLogRow(shared, logLock, "insert into record (name, list_id, type) values ('web', 1, 3)") ? logged
                                                                                                              : failed);
            // Tasks log at most once a second each; a logger that never
            // pauses is no program's and would starve the writer's wait.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    constexpr int kHosts = 600;  // several transactions a minute
    UtcSeconds t = kHourStart;
    for (int minute = 0; minute < 3; ++minute, t += kMinutePeriod) {
        feedMinute(book, t, kHosts);
        flushHistory(book, writer, t + kMinutePeriod);
        EXPECT_FALSE(writer.waitWritten(kWriteWaitMs));
    }
    EXPECT_EQ(count("list_id = 2"), 0);
    EXPECT_GT(writer.backlogRows(), 0u) << "what failed waits for the next minute";
    ASSERT_TRUE(shared.execute("drop trigger refuse"));
    feedMinute(book, t, kHosts);
    flushHistory(book, writer, t + kMinutePeriod);
    EXPECT_TRUE(writer.waitWritten(kWriteWaitMs));
    // The writes can be done before the task's thread has run at all: let it
    // log once before it stops, so the count below means something.
    while (logged.load() == 0 && failed.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    done = true;
    task.join();
    EXPECT_EQ(count("period = 60"), 4 * kHosts) << "every minute of every host, none twice";
    EXPECT_EQ(count("period = 60 and sent <> 60"), 0);
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(queryInt(shared, "select count(*) from record"), logged.load());
    EXPECT_GT(logged.load(), 0);
    EXPECT_TRUE(writer.finish({}, kWriteWaitMs));
}

TEST_F(HistoryWriterFile, ABacklogOfFailedBatchesIsCappedByDroppingTheOldestMinutes) {
    HistoryWriter writer(kPeriodKinds * 4);  // room for 12 rows, trimmed to 9
    ASSERT_TRUE(writer.start(file.path()));
    ASSERT_TRUE(shared.execute("create trigger refuse before insert on history begin select raise(abort, 'no'); end"));
    UtcSeconds t = kHourStart;
    for (int minute = 0; minute < 25; ++minute, t += 60) {
        book.record(1, t, answered(10));
        flushHistory(book, writer, t + 1);
        // Only the first batch, with no row closed yet, has nothing to fail on.
        EXPECT_EQ(writer.waitWritten(kWriteWaitMs), minute == 0);
    }
    ASSERT_TRUE(shared.execute("drop trigger refuse"));
    ASSERT_LE(writer.backlogRows(), 12u);
    flushHistory(book, writer, t);
    ASSERT_TRUE(writer.waitWritten(kWriteWaitMs));
    EXPECT_EQ(count("period = 600"), 2) << "the 10-minute rows, which carry the dropped minutes, stay";
    EXPECT_EQ(count("period = 60 and start = '" + utcText(t - 60) + "'"), 1) << "the newest minute stays";
    EXPECT_LT(count("period = 60"), 25);
    EXPECT_EQ(count("period = 60 and start = '" + utcText(kHourStart) + "'"), 0) << "the oldest minute went first";
    EXPECT_TRUE(writer.finish({}, kWriteWaitMs));
}

TEST_F(HistoryWriterFile, TheEndWritesEverythingBeforeItReturns) {
    HistoryWriter writer;
    ASSERT_TRUE(writer.start(file.path()));
    constexpr int kHosts = 800;
    // The hour's last minute and half of the next: rows of every kind close
    // at the end, and the open minute of every host is kept for the next run.
    feedMinute(book, kHourStart + kHourPeriod - kMinutePeriod, kHosts);
    for (int host = 1; host <= kHosts; ++host) book.record(host, kHourStart + kHourPeriod + 10, answered(5));
    ASSERT_TRUE(finishHistory(book, writer, kHourStart + kHourPeriod + 30, kWriteWaitMs));
    EXPECT_FALSE(writer.running());
    // Nothing is read until the writer has ended and written it all.
    EXPECT_EQ(count("period = 60"), kHosts);
    EXPECT_EQ(count("period = 600"), kHosts);
    EXPECT_EQ(count("period = 3600"), kHosts);
    EXPECT_EQ(queryInt(shared, "select count(*) from history_open"), 3 * kHosts);
}

TEST_F(HistoryWriterFile, AWriterThatNeverStartedWritesNothingAndSaysSo) {
    HistoryWriter writer;
    EXPECT_FALSE(writer.start(Text("/nonexistent-folder/database.db")));
    feedMinute(book, kHourStart, 1);
    EXPECT_FALSE(finishHistory(book, writer, kHourStart + kMinutePeriod, kWriteWaitMs));
    EXPECT_EQ(count("1"), 0);
}

}  // namespace
