#include "monitor/task_worker.h"

#include <ctime>

#include "monitor/log_write.h"
#include "monitor/log_writer.h"
#include "monitor/monitor_context.h"
#include "monitor/report_mailbox.h"
#include "monitor/status_text.h"
#include "monitor/stop_tokens.h"
#include "runtime/datetime.h"
#include "runtime/handoff_block.h"
#include "runtime/lock_guard.h"
#include "runtime/thread.h"
#include "store/date_text.h"
#include "store/sqlite_db.h"
#include "store/statements.h"

namespace {

constexpr int kCycleWaitMs = 1000;
constexpr int kProbeTimeoutMs = 1000;

}  // namespace

MonitorTask::MonitorTask(TaskParams params) : params_(std::move(params)) {}

void MonitorTask::runCycle() {
    // The log row's date is the cycle's start; its text is made only for a
    // logged cycle, which an answering host's cycle seldom is.
    const std::time_t started = clockSeconds();
    const std::int32_t status = ProbeHost(params_.target, " ", reply_, kProbeTimeoutMs, true, probe_);
    const auto roundTrip = static_cast<std::int32_t>(reply_.reply.roundTripTime);
    const Classification c = Classify(roundTrip, status, params_.thresholds);
    if (c.level >= 3 && params_.logFlag) logCycle(c, FormatDateTime(localDateTime(started)));

    // Rounded to a 32-bit float at both steps, as the average always was.
    average_ = static_cast<float>(static_cast<double>(average_) * 10 + c.effectiveLatency);
    average_ = static_cast<float>(static_cast<double>(average_) / 11);

    TaskStatusMessage m;
    m.hostId = params_.hostId;
    m.roundTripTime = roundTrip;
    m.statusText = StatusText(status);
    m.color = c.color == lastColor_ ? -1 : c.color;
    lastColor_ = c.color;
    m.average = static_cast<std::int32_t>(average_);
    m.level = c.level;
    m.status = status;
    post(m);
}

void MonitorTask::logCycle(const Classification& c, const Text& date) {
    const Text sql =
        LogInsertSql(params_.name, params_.target, params_.hostId, c.effectiveLatency, c.color, date, c.level);
    LogWriter* writer = monitorLogWriter();
    if (writer && writer->add(sql)) return;
    SqliteDB* db = monitorDatabase();
    if (db) WriteLogRow(*db, monitorLogLock(), sql);
}

void MonitorTask::post(const TaskStatusMessage& message) {
    const ByteSet payload = encodeTaskStatus(message);
    if (payload.empty()) return;  // an empty block would read as host 0
    const std::uintptr_t block = makeHandoffBlock(payload);
    if (!block) return;
    // The mailbox owns the block now, also when the receiver is gone.
    monitorReports().post(block);
}

void MonitorTask::run() {
    const std::shared_ptr<StopEvent> stop = acquireStopToken(params_.stopToken);
    for (;;) {
        runCycle();
        if (!stop || stop->wait(kCycleWaitMs) != StopEvent::Wait::timedOut) break;
    }
}

int MonitorTaskEntry(std::uintptr_t block) {
    // A task mostly waits; when it is ready to run it is never in a hurry,
    // and with thousands of them the window's thread must not queue behind.
    lowerCurrentThreadPriority();
    MonitorTask task(decodeTaskParams(takeHandoffBlock(block)));
    task.run();
    // The token names nothing once its task is over.
    releaseStopToken(task.params().stopToken);
    return 0;
}
