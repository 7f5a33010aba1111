// The log writer on a real database file: rows from many threads all land,
// each thread's in its order; rows wait out another connection's long write
// lock in memory and are written after it; a log clear forgets the queued
// rows and never meets a transaction half done; past the cap the oldest go;
// a refused row costs only itself; the end writes what is queued.
#include "monitor/log_writer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "monitor/monitor_context.h"
#include "runtime/lock.h"
#include "runtime/lock_guard.h"
#include "store/sqlite_db.h"
#include "store/statements.h"
#include "../store/temp_db.h"

namespace {

constexpr int kWaitMs = 30000;

// One row of host `host`; `time` tells the rows of one host apart.
Text row(int host, int time) {
    return LogInsertSql("主机", "198.18.1.2", host, time, 255, "2026-12-10 10:00:00", 4);
}

class LogWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(openWithSchema(shared, file));
        ASSERT_TRUE(other.open(file.path()));
        setMonitorLogLock(logLock);
    }
    void TearDown() override {
        setMonitorLogLock(0);
        deleteLock(logLock);
    }
    long long rows(const std::string& where = "1") {
        return queryInt(shared, "select count(*) from record where " + where);
    }

    TempDbFile file;
    LockHandle logLock = createLock();
    SqliteDB shared;  // the program's connection: reads, and the log clear
    SqliteDB other;   // another writer: a history batch, the upkeep, another program
};

TEST_F(LogWriterTest, RowsOfManyThreadsAllLandEachThreadsInItsOrder) {
    constexpr int kThreads = 8, kRowsEach = 400;
    LogWriter writer;
    ASSERT_TRUE(writer.start(file.path()));
    std::vector<std::thread> tasks;
    for (int host = 1; host <= kThreads; ++host)
        tasks.emplace_back([&writer, host] {
            for (int i = 1; i <= kRowsEach; ++i) ASSERT_TRUE(writer.add(row(host, i)));
        });
    for (std::thread& t : tasks) t.join();
    ASSERT_TRUE(writer.waitWritten(kWaitMs));
    EXPECT_EQ(rows(), kThreads * kRowsEach);
    // Row ids follow the order written: within a host, time rises with them.
    EXPECT_EQ(queryInt(shared, "select count(*) from record a join record b on a.list_id = b.list_id"
                               " and a.id < b.id and a.time > b.time"),
              0);
    const LogWriter::Counts c = writer.counts();
    EXPECT_EQ(c.written, static_cast<std::uint64_t>(kThreads * kRowsEach));
    EXPECT_EQ(c.failed + c.dropped + c.queued, 0u);
    EXPECT_TRUE(writer.finish(kWaitMs));
}

TEST_F(LogWriterTest, RowsWaitOutALongLockOfAnotherConnectionAndAreWrittenAfterIt) {
    LogWriter writer;
    ASSERT_TRUE(writer.start(file.path()));
    // Held for longer than the writer's wait inside SQLite, many times over;
    // each bound below is well within it.
    constexpr auto kHeld = std::chrono::milliseconds(50 * kLogWriterBusyWaitMs);
    constexpr auto kBound = kHeld / 4;
    ASSERT_TRUE(other.execute("BEGIN IMMEDIATE"));
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= 50; ++i) ASSERT_TRUE(writer.add(row(1, i)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, kBound) << "adding never waits for the file";
    std::this_thread::sleep_for(kHeld);
    EXPECT_EQ(writer.counts().queued, 50u);
    {
        // Meanwhile the log lock is free between the writer's tries: the
        // user-interface thread's writes under it are not held up.
        const auto asked = std::chrono::steady_clock::now();
        const LockGuard lock(logLock);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, kBound);
    }
    ASSERT_TRUE(other.execute("COMMIT"));
    ASSERT_TRUE(writer.waitWritten(kWaitMs));
    EXPECT_EQ(rows(), 50);
    EXPECT_EQ(writer.counts().failed + writer.counts().dropped, 0u);
    EXPECT_TRUE(writer.finish(kWaitMs));
}

// The log clear as the log page does it: under the log lock, the queue
// first. Rows queued before it go; rows after it land.
TEST_F(LogWriterTest, AClearForgetsTheQueuedRowsAndLaterRowsLand) {
    LogWriter writer;
    ASSERT_TRUE(writer.start(file.path()));
    for (int i = 1; i <= 20; ++i) ASSERT_TRUE(writer.add(row(1, i)));
    ASSERT_TRUE(writer.waitWritten(kWaitMs));
    ASSERT_TRUE(other.execute("BEGIN IMMEDIATE"));  // the next rows stay queued
    for (int i = 21; i <= 30; ++i) ASSERT_TRUE(writer.add(row(1, i)));
    ASSERT_TRUE(other.execute("COMMIT"));
    {
        const LockGuard lock(logLock);
        writer.dropQueued();
        ASSERT_TRUE(shared.execute(LogClearSql()));
    }
    for (int i = 31; i <= 35; ++i) ASSERT_TRUE(writer.add(row(2, i)));
    ASSERT_TRUE(writer.waitWritten(kWaitMs));
    EXPECT_EQ(rows(), 5);
    EXPECT_EQ(rows("list_id = 2"), 5) << "only the rows after the clear";
    EXPECT_TRUE(writer.finish(kWaitMs));
}

// Many clears while tasks log: the clear's DELETE never fails on the
// writer's lock, and no row of a transaction is left half in the file.
TEST_F(LogWriterTest, ClearsWhileRowsPourInAlwaysSucceed) {
    ASSERT_TRUE(shared.setBusyTimeout(0));  // a clear inside a transaction would fail, not wait
    LogWriter writer;
    ASSERT_TRUE(writer.start(file.path()));
    std::atomic<bool> done{false};
    std::thread task([&] {
        for (int i = 0; !done; ++i) writer.add(row(1, i));
    });
    for (int clear = 0; clear < 50; ++clear) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const LockGuard lock(logLock);
        writer.dropQueued();
        EXPECT_TRUE(shared.execute(LogClearSql())) << "clear " << clear;
    }
    done = true;
    task.join();
    EXPECT_TRUE(writer.finish(kWaitMs));
}

TEST_F(LogWriterTest, PastTheCapTheOldestRowsGo) {
    LogWriter writer(10);
    ASSERT_TRUE(writer.start(file.path()));
    ASSERT_TRUE(other.execute("BEGIN IMMEDIATE"));
    for (int i = 1; i <= 15; ++i) ASSERT_TRUE(writer.add(row(1, i)));
    ASSERT_TRUE(other.execute("COMMIT"));
    ASSERT_TRUE(writer.waitWritten(kWaitMs));
    EXPECT_EQ(rows(), 10);
    EXPECT_EQ(rows("time > 5"), 10) << "the newest";
    const LogWriter::Counts c = writer.counts();
    EXPECT_EQ(c.written + c.dropped, 15u);
    EXPECT_EQ(static_cast<long long>(c.written), rows());
    EXPECT_TRUE(writer.finish(kWaitMs));
}

TEST_F(LogWriterTest, ARefusedRowCostsOnlyItself) {
    LogWriter writer;
    ASSERT_TRUE(writer.start(file.path()));
    ASSERT_TRUE(other.execute("BEGIN IMMEDIATE"));  // all three in one transaction
    ASSERT_TRUE(writer.add(row(1, 1)));
    ASSERT_TRUE(writer.add("insert into no_such_table values (1)"));
    ASSERT_TRUE(writer.add(row(1, 3)));
    ASSERT_TRUE(other.execute("COMMIT"));
    ASSERT_TRUE(writer.waitWritten(kWaitMs));
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(writer.counts().failed, 1u);
    EXPECT_TRUE(writer.finish(kWaitMs));
}

TEST_F(LogWriterTest, TheEndWritesTheQueueAndThenTakesNoMoreRows) {
    LogWriter writer;
    EXPECT_FALSE(writer.add(row(1, 0))) << "not started: the task writes its row itself";
    ASSERT_TRUE(writer.start(file.path()));
    ASSERT_TRUE(other.execute("BEGIN IMMEDIATE"));
    for (int i = 1; i <= 30; ++i) ASSERT_TRUE(writer.add(row(1, i)));
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.execute("COMMIT");
    });
    EXPECT_TRUE(writer.finish(kWaitMs));
    release.join();
    EXPECT_EQ(rows(), 30);
    EXPECT_FALSE(writer.add(row(1, 31)));
}

TEST(LogWriterStart, ANameThatIsNoDatabaseFileStartsNothing) {
    LogWriter writer;
    EXPECT_FALSE(writer.start("/nonexistent/folder/database.db"));
    EXPECT_FALSE(writer.add(row(1, 1)));
    EXPECT_FALSE(writer.finish(0));
}

}  // namespace
