#include "monitor/task_control.h"

#include <iterator>
#include <utility>

#include "monitor/monitor_context.h"
#include "monitor/running_tasks.h"
#include "monitor/stop_tokens.h"
#include "monitor/task_messages.h"
#include "monitor/task_worker.h"
#include "runtime/handoff_block.h"
#include "runtime/thread.h"
#include "store/host_record.h"
#include "store/sqlite_db.h"
#include "store/sqlite_table.h"
#include "store/statements.h"

namespace {

const char* const kNoSuchTask = "找不到任务编号";
const char* const kThreadFailed = "启动线程失败，返回一个错误的句柄~！";
const char* const kParamsTooLong = "任务参数过长";

static_assert(std::size(Thresholds{}.time) == kHostClasses, "one threshold per stored class");

TaskParams readHost(SqliteTable& table, std::int32_t hostId) {
    HostRecord host;
    readHostRecord(table, host, {HostField::name, HostField::address, HostField::thresholds,
                                 HostField::logFlag});
    TaskParams p;
    p.hostId = hostId;
    p.name = host.name;
    p.target = host.address;
    for (int i = 0; i < kHostClasses; ++i) {
        p.thresholds.time[i] = host.time[i];
        p.thresholds.color[i] = host.color[i];
    }
    p.logFlag = host.logFlag != 0;
    return p;
}

// Starts a task for the host; the new token, or 0 with the reason when no
// task started. label: the name and address it was started with.
std::int32_t startTask(SqliteTable& table, std::int32_t hostId, Text& reason, RunningTasks::Label& label) {
    TaskParams params = readHost(table, hostId);
    label = {params.name, params.target};
    reason = kThreadFailed;
    params.stopToken = createStopToken();
    if (!params.stopToken) return 0;
    const ByteSet payload = encodeTaskParams(params);
    if (payload.empty()) {
        // A task on a misread payload would probe nothing real and report
        // made-up results: none is started.
        releaseStopToken(params.stopToken);
        reason = kParamsTooLong;
        return 0;
    }
    const std::uintptr_t block = makeHandoffBlock(payload);
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

Text TaskControl(std::int32_t hostId, TaskOperation operation) {
    SqliteDB* db = monitorDatabase();
    SqliteTable table;
    if (!db || !openHostTable(table, *db) || !table.find(TaskHostCondition(hostId)))
        return kNoSuchTask;
    RunningTasks& running = runningTasks();
    if (operation == taskStop) {
        setStopToken(running.stopped(hostId));  // 0: no task of this run, nothing happens
        return Text();
    }
    if (operation != taskStart) return Text();
    // The running task ends after its cycle; the map, not the column, names
    // it (a failed write of the column cannot leave it unreachable).
    setStopToken(running.stopped(hostId));
    Text reason;
    RunningTasks::Label label;
    const std::int32_t token = startTask(table, hostId, reason, label);
    if (!token) {
        running.notStarted(hostId);
        return reason;
    }
    running.started(hostId, token, std::move(label));
    table.edit();
    HostRecord host;
    host.handle = token;
    writeHostRecord(table, host, {HostField::handle});
    table.update();
    return Text();
}
