// Monitor tasks at the edges of their life, on real threads and a real
// database file (Windows build: the thread start's refusal and the window
// that receives the reports are the Windows ones):
// - a task that cannot start (no room left for another thread) leaves
//   nothing of the attempt behind: the row's handle stays 0, the stop token
//   and the hand-off block made for it are released, the host is not running;
// - a task whose receiver window is gone frees each report it cannot post.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <vector>

#include "monitor/monitor_context.h"
#include "monitor/running_tasks.h"
#include "monitor/stop_tokens.h"
#include "monitor/task_control.h"
#include "runtime/handoff_block.h"
#include "store/schema.h"
#include "store/sqlite_dataset.h"
#include "store/sqlite_db.h"

namespace {

constexpr int kHostId = 1;
constexpr int kTaskEndMs = 5000;
constexpr int kTwoCyclesMs = 1500;

// Takes every free stretch of address space of `chunk` bytes or more, so
// that no thread start finds the room it asks for (see runtime/thread.h);
// the smaller gaps left over keep the heap and SQLite working.
class AddressSpaceFilled {
public:
    explicit AddressSpaceFilled(SIZE_T chunk) {
        for (SIZE_T size = SIZE_T{1} << 30; size >= chunk; size /= 2)
            while (void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS))
                blocks_.push_back(block);
    }
    ~AddressSpaceFilled() {
        for (void* block : blocks_) VirtualFree(block, 0, MEM_RELEASE);
    }
    AddressSpaceFilled(const AddressSpaceFilled&) = delete;
    AddressSpaceFilled& operator=(const AddressSpaceFilled&) = delete;

private:
    std::vector<void*> blocks_;
};

class TaskEdges : public testing::Test {
protected:
    void SetUp() override {
        std::remove(kPath);
        ASSERT_TRUE(CreateDatabaseFile(kPath));
        ASSERT_TRUE(db_.open(kPath));
        ASSERT_TRUE(db_.execute("INSERT INTO serverlist VALUES (1, 'local', '127.0.0.1', 30, 32768,"
                                " 100, 33023, 200, 255, 500, 6316128, 1, 0, 0)"));
        setMonitorDatabase(&db_);
    }
    void TearDown() override {
        setMonitorDatabase(nullptr);
        db_.close();
        std::remove(kPath);
    }
    int handle() {
        SqliteDataset ds;
        int value = -1;
        if (ds.open("SELECT handle FROM serverlist WHERE id=1", db_) && ds.moveNext()) ds.read(1, value);
        return value;
    }

    static constexpr const char* kPath = "task_edges_test.db";
    SqliteDB db_;
};

TEST_F(TaskEdges, TheRowKeepsHandleZeroAndNothingOfTheAttemptStays) {
    {
        AddressSpaceFilled full(64 * 1024 * 1024);
        EXPECT_EQ(TaskControl(kHostId, taskStart), Text("启动线程失败，返回一个错误的句柄~！"));
        EXPECT_EQ(handle(), 0);
        EXPECT_EQ(liveStopTokens(), 0);     // the token made for the task
        EXPECT_EQ(liveHandoffBlocks(), 0);  // the parameters' block
        EXPECT_FALSE(runningTasks().isRunning(kHostId));
    }
    // With the room back the same host starts: the refusal was the start's.
    EXPECT_EQ(TaskControl(kHostId, taskStart), Text());
    EXPECT_NE(handle(), 0);
    EXPECT_TRUE(runningTasks().isRunning(kHostId));
    EXPECT_EQ(TaskControl(kHostId, taskStop), Text());
    EXPECT_TRUE(waitNoLiveStopTokens(kTaskEndMs));
    // No receiver was set: its reports were refused and freed, not queued
    // where nothing reads them.
    EXPECT_EQ(liveHandoffBlocks(), 0);
}

// Reports posted after the notification receiver's window was destroyed:
// the post is refused and the task frees the report's block itself.
TEST_F(TaskEdges, ReportsToAReceiverThatIsGoneAreFreed) {
    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    setMonitorReceiver(reinterpret_cast<std::uintptr_t>(gone));
    EXPECT_EQ(TaskControl(kHostId, taskStart), Text());
    Sleep(kTwoCyclesMs);  // a report at once, another a cycle later
    EXPECT_EQ(TaskControl(kHostId, taskStop), Text());
    EXPECT_TRUE(waitNoLiveStopTokens(kTaskEndMs));
    EXPECT_EQ(liveHandoffBlocks(), 0);
    setMonitorReceiver(0);
}

}  // namespace
