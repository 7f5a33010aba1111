#include "monitor/task_control.h"

#include "monitor/monitor_context.h"
#include "monitor/stop_tokens.h"
#include "monitor/task_messages.h"
#include "monitor/task_worker.h"
#include "runtime/handoff_block.h"
#include "runtime/thread.h"
#include "store/sqlite_db.h"
#include "store/sqlite_table.h"
#include "store/statements.h"

namespace {

const char* const kNoSuchTask = "找不到任务编号";
const char* const kThreadFailed = "启动线程失败，返回一个错误的句柄~！";

TaskParams readHost(SqliteTable& table, std::int32_t hostId) {
    TaskParams p;
    p.hostId = hostId;
    table.read("servername", p.name);
    table.read("serverip", p.target);
    const char* const times[] = {"time1", "time2", "time3", "time4"};
    const char* const colors[] = {"color1", "color2", "color3", "color4"};
    for (int i = 0; i < 4; ++i) {
        int value = 0;
        if (table.read(times[i], value)) p.thresholds.time[i] = value;
        value = 0;
        if (table.read(colors[i], value)) p.thresholds.color[i] = value;
    }
    int record = 0;
    table.read("record", record);
    p.logFlag = record != 0;
    return p;
}

// Starts a task for the host; the new token, or 0 when no task started.
std::int32_t startTask(SqliteTable& table, std::int32_t hostId) {
    TaskParams params = readHost(table, hostId);
    params.stopToken = createStopToken();
    if (!params.stopToken) return 0;
    const std::uintptr_t block = makeHandoffBlock(encodeTaskParams(params));
    ThreadHandle thread = 0;
    if (!block || !startThread(MonitorTaskEntry, block, &thread) || !thread) {
        if (block) takeHandoffBlock(block);  // no task took it
        releaseStopToken(params.stopToken);
        return 0;
    }
    closeThreadHandle(thread);  // tasks are stopped by their event, never by the handle
    return params.stopToken;
}

}  // namespace

Text TaskControl(std::int32_t hostId, int operation) {
    SqliteDB* db = monitorDatabase();
    SqliteTable table;
    if (!db || !table.open("serverlist", *db) || !table.find(TaskHostCondition(hostId)))
        return kNoSuchTask;
    int handle = 0;
    table.read("handle", handle);
    if (operation == taskStop) {
        setStopToken(handle);  // 0 or a token no longer live: nothing happens
        return Text();
    }
    if (operation != taskStart) return Text();
    if (handle > 0) setStopToken(handle);  // the running task ends after its cycle
    const std::int32_t token = startTask(table, hostId);
    if (!token) return kThreadFailed;
    table.edit();
    table.write("handle", static_cast<int>(token));
    table.update();
    return Text();
}
