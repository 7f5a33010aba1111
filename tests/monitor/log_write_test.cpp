#include "monitor/log_write.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "store/schema.h"
#include "store/sqlite_db.h"
#include "../store/temp_db.h"

namespace {

constexpr const char* kRow =
    "insert into record (name, ip, list_id, time, color, date, type) "
    "values ('web', '198.18.1.2', 7, 250, 255, '2026-12-10 10:00:00', 3)";

class LogWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDatabaseFile(file.path()));
        ASSERT_TRUE(shared.open(file.path()));
        ASSERT_TRUE(other.open(file.path()));
    }
    // Rows in the log, read on the other connection.
    long long rows() {
        SqliteDB reader;
        EXPECT_TRUE(reader.open(file.path()));
        return queryInt(reader, "select count(*) from record");
    }
    TempDbFile file;
    SqliteDB shared;  // the program's connection: no busy wait of its own
    SqliteDB other;   // another writer: a history batch, the log upkeep, another program
};

// A row that meets another connection's write lock is written once the lock
// goes, instead of being lost.
TEST_F(LogWriteTest, ARowWaitsForAnotherWritersLock) {
    ASSERT_TRUE(other.execute("begin immediate"));
    bool busy = false;
    EXPECT_FALSE(shared.execute(kRow, busy));
    EXPECT_TRUE(busy);  // what a task without the retry would have lost
    auto writer = std::async(std::launch::async, [&] { return WriteLogRow(shared, 0, kRow); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(other.execute("commit"));
    EXPECT_TRUE(writer.get());
    EXPECT_EQ(rows(), 1);
}

// A lock held past the give-up time, or a statement that fails for another
// reason, ends the attempt with false.
TEST_F(LogWriteTest, GivesUpOnALongLockAndOnOtherErrors) {
    ASSERT_TRUE(other.execute("begin immediate"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(WriteLogRow(shared, 0, kRow, 100));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    ASSERT_TRUE(other.execute("rollback"));
    EXPECT_FALSE(WriteLogRow(shared, 0, "insert into no_such_table values (1)"));
    EXPECT_EQ(rows(), 0);
}

}  // namespace
