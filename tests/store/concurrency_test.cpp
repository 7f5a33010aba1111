// The one connection under the program's real traffic: monitor tasks write
// log rows while the end of the program closes the connection.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "store/sqlite_db.h"
#include "store/statements.h"
#include "tests/store/temp_db.h"

namespace {

TEST(SqliteDBThreads, CloseWhileTasksWriteNeverLosesACommittedRow) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    constexpr int kTasks = 4;
    std::atomic<int> succeeded{0}, failedAfterClose{0}, started{0};
    std::atomic<bool> closed{false};
    std::vector<std::thread> tasks;
    for (int t = 0; t < kTasks; ++t) {
        tasks.emplace_back([&, t] {
            started.fetch_add(1);
            for (int i = 0; i < 400; ++i) {
                const bool closedBefore = closed.load();
                const Text sql = LogInsertSql("任务", "127.0.0.1", t, i, 0, "2016-12-23 09:05:07", 4);
                if (db.execute(sql)) {
                    EXPECT_FALSE(closedBefore);
                    succeeded.fetch_add(1);
                } else if (closedBefore) {
                    failedAfterClose.fetch_add(1);
                }
            }
        });
    }
    while (started.load() < kTasks || succeeded.load() < 40) std::this_thread::yield();
    EXPECT_TRUE(db.close());
    closed.store(true);
    for (auto& task : tasks) task.join();
    EXPECT_GT(failedAfterClose.load(), 0);
    EXPECT_FALSE(db.execute("select 1"));

    // Every statement that reported success is in the file.
    ASSERT_TRUE(db.open(file.path()));
    EXPECT_EQ(queryInt(db, "select count(*) from record"), succeeded.load());
}

TEST(SqliteDBThreads, ReopenAndCloseRaceWithExecute) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop.load()) db.execute(LogInsertSql("w", "127.0.0.1", 1, 1, 1, "d", 3));
    });
    for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(db.close());
        EXPECT_TRUE(db.open(file.path()));
        db.lastInsertRowId();
    }
    stop.store(true);
    writer.join();
    EXPECT_GE(queryInt(db, "select count(*) from record"), 0);
}

}  // namespace
