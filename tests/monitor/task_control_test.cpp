// The task registry on a real database file with real task threads: which
// task a start, stop or delete reaches when the `handle` column cannot be
// written or holds another host's token, and what a start that fails
// leaves behind. The tasks probe loopback; what they report is not looked
// at here, only which tasks run.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "monitor/monitor_context.h"
#include "monitor/not_started.h"
#include "monitor/running_tasks.h"
#include "monitor/start_queue.h"
#include "monitor/stop_tokens.h"
#include "monitor/task_control.h"
#include "monitor/task_messages.h"
#include "runtime/convert.h"
#include "store/sqlite_db.h"
#include "store/statements.h"
#include "tests/monitor/memory_host_list.h"
#include "tests/monitor/test_receiver.h"
#include "tests/store/temp_db.h"

namespace {

using Change = RunningTasks::Change;

// What the program writes into the column when the file is read-only or
// another program holds it: the write fails, the task runs anyway.
const char* const kRefuseHandleWrites =
    "CREATE TRIGGER refuse_handle BEFORE UPDATE OF handle ON serverlist"
    " BEGIN SELECT RAISE(ABORT, 'read-only'); END";

class TaskControlTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(openWithSchema(db_, file_));
        setMonitorDatabase(&db_);
        setMonitorReceiver(receiver_.receiver());
    }
    void TearDown() override {
        RunningTasks& running = runningTasks();
        for (std::int32_t id : running.hosts()) TaskControl(id, taskStop);
        EXPECT_TRUE(tasksEnd(0));
        TaskStatusMessage rest;
        while (receiver_.take(rest, 0)) {}
        setMonitorReceiver(0);
        setMonitorDatabase(nullptr);
        db_.close();
    }

    void addHost(int id, const std::string& name = "host") {
        ASSERT_TRUE(db_.execute(Text(("INSERT INTO serverlist VALUES (" + std::to_string(id) + ", '" + name +
                                      "', '127.0.0.1', 30, 0, 100, 0, 200, 0, 500, 0, 1, 0, 0)").c_str())));
    }
    long long handleOf(int id) {
        return queryInt(db_, "SELECT handle FROM serverlist WHERE id=" + std::to_string(id));
    }
    // Every task but `left` has ended within a few cycles.
    static bool tasksEnd(int left) {
        for (int i = 0; i < 50 && liveStopTokens() > left; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return liveStopTokens() == left;
    }

    TempDbFile file_;
    SqliteDB db_;
    TestReceiver receiver_;
};

TEST_F(TaskControlTest, AnUnwritableHandleColumnLeavesEveryTaskReachable) {
    addHost(1);
    ASSERT_TRUE(db_.execute(kRefuseHandleWrites));
    EXPECT_EQ(TaskControl(1, taskStart), Text());
    EXPECT_EQ(handleOf(1), 0);  // the write failed
    EXPECT_EQ(liveStopTokens(), 1);
    // "启动" again restarts: the old task ends, no second one joins it.
    EXPECT_EQ(TaskControl(1, taskStart), Text());
    EXPECT_TRUE(tasksEnd(1));
    // "停止" reaches the task the column never named.
    EXPECT_EQ(TaskControl(1, taskStop), Text());
    EXPECT_TRUE(tasksEnd(0));
    EXPECT_FALSE(runningTasks().isRunning(1));
}

TEST_F(TaskControlTest, AColumnNamingAnotherHostsTaskStopsOnlyItsOwn) {
    addHost(1);
    addHost(2);
    addHost(3);
    ASSERT_EQ(TaskControl(2, taskStart), Text());
    ASSERT_EQ(TaskControl(3, taskStart), Text());
    const long long tokenOf2 = handleOf(2);
    ASSERT_GT(tokenOf2, 0);
    // Host 1 never started in this run, yet its column names host 2's task
    // (a value left by an earlier run or written over a failed write).
    ASSERT_TRUE(db_.execute(Text(("UPDATE serverlist SET handle=" + std::to_string(tokenOf2) + " WHERE id=1").c_str())));
    ASSERT_TRUE(db_.execute(kRefuseHandleWrites));
    EXPECT_EQ(TaskControl(1, taskStop), Text());
    EXPECT_EQ(TaskControl(3, taskStop), Text());  // a neighbour's stop
    EXPECT_TRUE(tasksEnd(1));
    EXPECT_TRUE(runningTasks().isRunning(2));
    EXPECT_EQ(runningTasks().tokenOf(2), tokenOf2);
    // A restart of host 1 whose handle write fails starts host 1's own task
    // and leaves host 2's alone.
    EXPECT_EQ(TaskControl(1, taskStart), Text());
    EXPECT_EQ(handleOf(1), tokenOf2);
    EXPECT_TRUE(tasksEnd(2));
    EXPECT_NE(runningTasks().tokenOf(1), tokenOf2);
}

// A name longer than a payload text can carry (written by another program):
// no task, "未启动" on the row, `handle` stays 0; once the name fits, the
// start succeeds and the mark goes.
TEST_F(TaskControlTest, ParametersThatCannotBeEncodedStartNoTask) {
    addHost(5, std::string(40000, 'n'));
    addHost(6);
    MemoryHostList list({5, 6});
    NotStartedRows rows(runningTasks(), list);
    list.setCellText(0, 3, "网络可通");  // the last report of an earlier task
    list.setCellText(0, 2, "1 ms");
    list.setCellText(1, 3, "网络可通");

    EXPECT_EQ(TaskControl(5, taskStart), Text("任务参数过长"));
    EXPECT_EQ(liveStopTokens(), 0);
    EXPECT_FALSE(runningTasks().isRunning(5));
    EXPECT_EQ(handleOf(5), 0);
    EXPECT_EQ(list.cell(0, 3).text, Text("未启动"));
    EXPECT_EQ(list.cell(0, 2).text, Text());
    EXPECT_EQ(list.cell(0, 5).text, Text());
    EXPECT_EQ(list.cell(0, 3).image, -1);
    EXPECT_EQ(list.cell(0, 2).backColor, 0xFFFFFF);
    // The late last report of a task it replaced does not bring it back.
    list.setCellText(0, 3, "网络可通");
    rows.onReport(5);
    EXPECT_EQ(list.cell(0, 3).text, Text("未启动"));

    ASSERT_EQ(TaskControl(6, taskStart), Text());  // others start as before
    EXPECT_EQ(list.cell(1, 3).text, Text("网络可通"));
    EXPECT_FALSE(rows.shows(6));

    ASSERT_TRUE(db_.execute("UPDATE serverlist SET servername='short' WHERE id=5"));
    EXPECT_EQ(TaskControl(5, taskStart), Text());
    EXPECT_TRUE(runningTasks().isRunning(5));
    EXPECT_GT(handleOf(5), 0);
    EXPECT_FALSE(rows.shows(5));
    EXPECT_EQ(list.cell(0, 3).text, Text());  // until the new task's first report
}

// A listener hearing a start reads what the task was started with from the
// registry (the alerts name the host by it), not from the table again: the
// stored name and address, the edited ones after a restart, none once the
// task is stopped.
TEST_F(TaskControlTest, AStartedTaskCarriesTheNameAndAddressItStartedWith) {
    addHost(5, "gateway");
    std::vector<std::string> heard;
    const auto listener = runningTasks().addListener([&](std::int32_t id, Change c) {
        const RunningTasks::Label label = runningTasks().labelOf(id);
        if (c == Change::started) heard.push_back(label.name.str() + "@" + label.address.str());
    });
    ASSERT_EQ(TaskControl(5, taskStart), Text());
    ASSERT_TRUE(db_.execute("UPDATE serverlist SET servername='router', serverip='127.0.0.2' WHERE id=5"));
    ASSERT_EQ(TaskControl(5, taskStart), Text());  // a saved edit restarts the task
    EXPECT_EQ(heard, (std::vector<std::string>{"gateway@127.0.0.1", "router@127.0.0.2"}));
    ASSERT_EQ(TaskControl(5, taskStop), Text());
    EXPECT_EQ(runningTasks().labelOf(5).name, Text());
    runningTasks().removeListener(listener);
}

// Start-up's queue with real tasks: the user's 停止 and 删除 reach hosts
// still waiting for their turn, and those turns start nothing.
TEST_F(TaskControlTest, HostsStoppedOrDeletedBeforeTheirTurnAreNotStarted) {
    for (int id = 1; id <= 4; ++id) addHost(id);
    StartQueue queue(runningTasks());
    for (int id = 1; id <= 4; ++id) queue.add(id);
    EXPECT_EQ(TaskControl(2, taskStop), Text());
    EXPECT_EQ(TaskControl(3, taskStop), Text());  // a delete: stop, then the row goes
    ASSERT_TRUE(db_.execute(HostDeleteSql(3)));
    const auto start = [](std::int32_t id) { EXPECT_EQ(TaskControl(id, taskStart), Text()); };
    while (!queue.empty()) queue.step(start, {1, std::chrono::milliseconds(10)});
    EXPECT_EQ(runningTasks().hosts(), (std::vector<std::int32_t>{1, 4}));
    EXPECT_EQ(liveStopTokens(), 2);
    EXPECT_GT(handleOf(1), 0);
    EXPECT_EQ(handleOf(2), 0);
    EXPECT_GT(handleOf(4), 0);
}

TEST(TaskMessages, EncodersRefuseATextTooLongForItsLength) {
    TaskParams params;
    params.hostId = 3;
    params.target = "127.0.0.1";
    params.name = Text(std::string(32767, 'a').c_str());
    EXPECT_FALSE(encodeTaskParams(params).empty());  // the longest text that fits
    params.name = Text(std::string(32768, 'a').c_str());
    EXPECT_TRUE(encodeTaskParams(params).empty());
    params.name = "web";
    params.target = Text(std::string(40000, '1').c_str());
    EXPECT_TRUE(encodeTaskParams(params).empty());

    TaskStatusMessage m;
    m.statusText = Text(std::string(40000, 's').c_str());
    EXPECT_TRUE(encodeTaskStatus(m).empty());
    m.statusText = "网络可通";
    EXPECT_EQ(decodeTaskStatus(encodeTaskStatus(m)).statusText, Text("网络可通"));
}

}  // namespace
