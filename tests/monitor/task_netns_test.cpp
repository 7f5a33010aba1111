// Monitor tasks end to end inside the test namespace (scripts/netns): a
// real database file, real threads, real echoes, the status messages as the
// UI thread receives them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <thread>
#include <vector>

#include "monitor/monitor_context.h"
#include "monitor/stop_tokens.h"
#include "monitor/task_control.h"
#include "runtime/convert.h"
#include "runtime/lock.h"
#include "store/schema.h"
#include "store/sqlite_db.h"
#include "store/sqlite_dataset.h"
#include "tests/monitor/test_receiver.h"

namespace {

constexpr std::int32_t kGreen = 0x008000, kOrange = 0x0080FF, kRed = 0x0000FF, kGrey = 0x606060;

class TaskNetns : public testing::Test {
protected:
    void SetUp() override {
        path_ = Text("monitor_task_test_") + toText(static_cast<int>(std::rand() % 100000)) + ".db";
        std::remove(path_.c_str());
        ASSERT_TRUE(CreateDatabaseFile(path_));
        ASSERT_TRUE(db_.open(path_));
        lock_ = createLock();
        setMonitorDatabase(&db_);
        setMonitorReceiver(receiver_.receiver());
        setMonitorLogLock(lock_);
    }
    void TearDown() override {
        for (int id : started_) TaskControl(id, taskStop);
        // Every task ends within a cycle (probe up to 1 s + wait cut short).
        for (int i = 0; i < 60 && liveStopTokens() > 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(liveStopTokens(), 0);
        TaskStatusMessage rest;
        while (receiver_.take(rest, 0)) {}  // free what the last cycles posted
        setMonitorReceiver(0);
        setMonitorDatabase(nullptr);
        setMonitorLogLock(0);
        deleteLock(lock_);
        db_.close();
        std::remove(path_.c_str());
    }

    void addHost(int id, const char* ip, bool log, int t3 = 200) {
        char sql[400];
        std::snprintf(sql, sizeof sql,
                      "INSERT INTO serverlist VALUES (%d, 'host%d', '%s', 30, %d, 100, %d, %d, %d,"
                      " 500, %d, 1, %d, 0)",
                      id, id, ip, kGreen, kOrange, t3, kRed, kGrey, log ? 1 : 0);
        ASSERT_TRUE(db_.execute(sql));
    }
    void start(int id) {
        EXPECT_EQ(TaskControl(id, taskStart), Text());
        started_.push_back(id);
    }
    int handleOf(int id) { return queryInt("SELECT handle FROM serverlist WHERE id=" + toText(id)); }
    int queryInt(const Text& sql) {
        SqliteDataset ds;
        int value = -1;
        if (ds.open(sql, db_) && ds.moveNext()) ds.read(1, value);
        return value;
    }
    // The next message of host id (others are skipped), or hostId 0 after 5 s.
    // The next message of one host, in order. Messages of other hosts that
    // arrive meanwhile are kept for their own next() (two tasks started
    // together report in either order).
    TaskStatusMessage next(int id) {
        for (auto it = held_.begin(); it != held_.end(); ++it) {
            if (it->hostId == id) {
                TaskStatusMessage m = *it;
                held_.erase(it);
                return m;
            }
        }
        TaskStatusMessage m;
        while (receiver_.take(m, 5000)) {
            if (m.hostId == id) return m;
            held_.push_back(m);
        }
        return TaskStatusMessage{};
    }

    Text path_;
    SqliteDB db_;
    LockHandle lock_ = 0;
    TestReceiver receiver_;
    std::vector<int> started_;
    std::deque<TaskStatusMessage> held_;
};

TEST_F(TaskNetns, LoopbackHostReportsReachable) {
    addHost(1, "127.0.0.1", true);
    start(1);
    TaskStatusMessage m = next(1);
    ASSERT_EQ(m.hostId, 1);
    EXPECT_EQ(m.status, 0);
    EXPECT_EQ(m.level, 0);
    EXPECT_EQ(m.statusText, Text("网络可通"));
    EXPECT_EQ(m.color, kGreen);
    EXPECT_EQ(next(1).color, -1);  // the same class colour again
    EXPECT_EQ(queryInt("SELECT count(*) FROM record"), 0);
}

TEST_F(TaskNetns, SlowHostIsLoggedOnlyWithTheLogFlag) {
    addHost(2, "198.18.1.2", true);
    addHost(3, "slow.qerno.test", false);
    start(2);
    start(3);
    for (int id : {2, 3}) {
        TaskStatusMessage m = next(id);
        ASSERT_EQ(m.hostId, id);
        EXPECT_EQ(m.level, 3);
        EXPECT_EQ(m.color, kRed);
        EXPECT_GE(m.roundTripTime, 250);
    }
    next(2);
    TaskControl(2, taskStop);
    TaskControl(3, taskStop);
    for (int i = 0; i < 30 && liveStopTokens() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GE(queryInt("SELECT count(*) FROM record WHERE list_id=2 AND type=3 AND ip='198.18.1.2'"
                       " AND color=" + toText(kRed) + " AND time>=250"), 2);
    EXPECT_EQ(queryInt("SELECT count(*) FROM record WHERE list_id<>2"), 0);
}

TEST_F(TaskNetns, SilentHostTimesOutAndAveragesClimb) {
    addHost(4, "198.18.1.3", true);
    start(4);
    const int averages[] = {90, 173, 248};
    for (int expected : averages) {
        TaskStatusMessage m = next(4);
        ASSERT_EQ(m.hostId, 4);
        EXPECT_EQ(m.status, 11010);
        EXPECT_EQ(m.roundTripTime, 0);
        EXPECT_EQ(m.statusText, Text("请求超时"));
        EXPECT_EQ(m.level, 4);
        EXPECT_EQ(m.average, expected);
    }
    EXPECT_GE(queryInt("SELECT count(*) FROM record WHERE list_id=4 AND type=4 AND time=1000"), 3);
}

TEST_F(TaskNetns, UnresolvableNameReportsMinusOne) {
    addHost(5, "no-such-host.invalid", false);
    start(5);
    TaskStatusMessage m = next(5);
    ASSERT_EQ(m.hostId, 5);
    EXPECT_EQ(m.status, -1);
    EXPECT_EQ(m.statusText, Text());
    EXPECT_EQ(m.level, 4);
}

TEST_F(TaskNetns, RestartReplacesTheTaskAndStopTwiceIsHarmless) {
    addHost(6, "127.0.0.1", false);
    start(6);
    ASSERT_EQ(next(6).level, 0);
    const int first = handleOf(6);
    EXPECT_GT(first, 0);
    // New settings reach the task only through a restart.
    ASSERT_TRUE(db_.execute("UPDATE serverlist SET serverip='198.18.1.2' WHERE id=6"));
    EXPECT_EQ(TaskControl(6, taskStart), Text());
    const int second = handleOf(6);
    EXPECT_NE(second, first);
    bool sawNew = false;
    for (int i = 0; i < 4 && !sawNew; ++i) sawNew = next(6).level == 3;
    EXPECT_TRUE(sawNew);
    for (int i = 0; i < 30 && liveStopTokens() > 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(liveStopTokens(), 1);  // the old task has ended

    EXPECT_EQ(TaskControl(6, taskStop), Text());
    EXPECT_EQ(TaskControl(6, taskStop), Text());
    EXPECT_EQ(handleOf(6), second);  // stop leaves the column alone
    for (int i = 0; i < 30 && liveStopTokens() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(liveStopTokens(), 0);
    TaskStatusMessage late;
    while (receiver_.take(late, 0)) {}
    EXPECT_FALSE(receiver_.take(late, 2500));  // nothing runs for the host any more
}

// A handle left behind by an ended task never stops another host's task.
TEST_F(TaskNetns, StaleHandleNeverReachesAnotherTask) {
    addHost(7, "127.0.0.1", false);
    addHost(8, "127.0.0.2", false);
    start(7);
    ASSERT_EQ(next(7).hostId, 7);
    const int stale = handleOf(7);
    TaskControl(7, taskStop);
    for (int i = 0; i < 30 && liveStopTokens() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    start(8);
    ASSERT_TRUE(db_.execute("UPDATE serverlist SET handle=" + toText(stale) + " WHERE id=7"));
    TaskControl(7, taskStop);
    TaskControl(7, taskStop);
    ASSERT_EQ(next(8).hostId, 8);
    ASSERT_EQ(next(8).hostId, 8);
    ASSERT_EQ(next(8).hostId, 8);  // still running after the stale stops
}

TEST_F(TaskNetns, UnknownHostIsRefused) {
    EXPECT_EQ(TaskControl(4242, taskStart), Text("找不到任务编号"));
    EXPECT_EQ(TaskControl(4242, taskStop), Text("找不到任务编号"));
    EXPECT_EQ(liveStopTokens(), 0);
}

}  // namespace
