// Rows of hosts whose task did not start (a payload that cannot be encoded,
// a refused thread, any other failed start). Such a row must not go on
// showing the last report of a task that is gone, nor the empty cells of
// one that is about to report: it shows "未启动" in the status column with
// the latency and average cells empty and uncoloured, until a later start
// of the host succeeds.
//
// Threads: the user-interface thread only (where TaskControl runs).
#pragma once

#include <cstdint>
#include <set>

#include "monitor/host_list.h"
#include "monitor/running_tasks.h"

extern const char* const kNotStartedText;  // "未启动"

// Shows the host's row as not started; false when the host has no row.
bool ShowNotStarted(std::int32_t hostId, HostList& list);

// Follows the task registry's changes for one host list: a failed start
// shows "未启动"; a later successful start takes it away again (the status
// cell goes empty until the new task's first report). Rows of hosts whose
// start never failed are not touched, so a restart keeps the last report
// shown as it always did.
class NotStartedRows {
public:
    NotStartedRows(RunningTasks& tasks, HostList& list);
    ~NotStartedRows();
    NotStartedRows(const NotStartedRows&) = delete;
    NotStartedRows& operator=(const NotStartedRows&) = delete;

    bool shows(std::int32_t hostId) const { return shown_.count(hostId) != 0; }
    // A status report applied to the row: the last report of the task that
    // a failed restart stopped may arrive after the failure; the row still
    // has no task, so it goes back to "未启动".
    void onReport(std::int32_t hostId);

private:
    void onChange(std::int32_t hostId, RunningTasks::Change change);

    RunningTasks& tasks_;
    HostList& list_;
    RunningTasks::ListenerId listener_;
    std::set<std::int32_t> shown_;
};
