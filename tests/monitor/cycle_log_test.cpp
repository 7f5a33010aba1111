// The log row of one monitor cycle, on a real database file: a failed cycle
// of a logging host writes one row whose columns are the host's and the
// cycle's, dated within the cycle; a host that does not log writes none.
// 255.255.255.255 fails every cycle at once, without a packet sent.
#include <gtest/gtest.h>

#include "monitor/log_writer.h"
#include "monitor/monitor_context.h"
#include "monitor/task_worker.h"
#include "runtime/datetime.h"
#include "store/date_text.h"
#include "store/sqlite_db.h"
#include "../store/temp_db.h"

namespace {

constexpr int kHostId = 7;
constexpr int kFailedColor = 0x0000FF;
constexpr int kWriteWaitMs = 30000;

class CycleLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(openWithSchema(db, file));
        setMonitorDatabase(&db);
    }
    void TearDown() override { setMonitorDatabase(nullptr); }

    static TaskParams host(bool logs) {
        TaskParams p;
        p.hostId = kHostId;
        p.name = "gateway";
        p.target = "255.255.255.255";
        p.thresholds = {{30, 100, 200, 500}, {0x00FF00, 0x00FFFF, 0x0080FF, kFailedColor}};
        p.logFlag = logs;
        return p;
    }

    TempDbFile file;
    SqliteDB db;
};

TEST_F(CycleLogTest, AFailedCycleOfALoggingHostWritesOneRowDatedWithinTheCycle) {
    MonitorTask task(host(true));
    const Text before = FormatDateTime(now());
    task.runCycle();
    const Text after = FormatDateTime(now());
    ASSERT_EQ(queryInt(db, "select count(*) from record"), 1);
    EXPECT_EQ(queryText(db, "select name || '|' || ip || '|' || list_id || '|' || time || '|' || color || '|' || type"
                            " from record"),
              "gateway|255.255.255.255|7|1000|255|4");
    const std::string date = queryText(db, "select date from record");
    EXPECT_GE(date, std::string(before.c_str())) << "the row's date is the cycle's local time";
    EXPECT_LE(date, std::string(after.c_str()));
}

// In the program the writer thread writes the row; one that has finished
// (a task outlived the end's wait) leaves the row to the task.
TEST_F(CycleLogTest, TheRowGoesThroughTheLogWriterOrByTheTaskOnceTheWriterHasEnded) {
    LogWriter writer;
    ASSERT_TRUE(writer.start(file.path()));
    setMonitorLogWriter(&writer);
    MonitorTask task(host(true));
    task.runCycle();
    ASSERT_TRUE(writer.waitWritten(kWriteWaitMs));
    EXPECT_EQ(writer.counts().written, 1u);
    ASSERT_TRUE(writer.finish(kWriteWaitMs));
    task.runCycle();
    setMonitorLogWriter(nullptr);
    EXPECT_EQ(writer.counts().written, 1u);
    EXPECT_EQ(queryInt(db, "select count(*) from record where list_id = 7 and type = 4"), 2);
}

TEST_F(CycleLogTest, AHostThatDoesNotLogWritesNothing) {
    MonitorTask task(host(false));
    task.runCycle();
    EXPECT_EQ(queryInt(db, "select count(*) from record"), 0);
}

}  // namespace
