#include "app/staged_start.h"

#include <windows.h>

#include <utility>

#include "app/exit_steps.h"
#include "app/globals.h"
#include "monitor/running_tasks.h"
#include "monitor/start_queue.h"
#include "monitor/task_control.h"
#include "store/sqlite_db.h"

namespace {

// One step starts at most this many tasks or runs this long, whichever comes
// first: a thread start under Wine costs around a millisecond, so a step
// keeps well inside the time in which the window must answer.
constexpr StartQueue::Batch kStartBatch{25, std::chrono::milliseconds(10)};
// The shortest timer: WM_TIMER comes only when no input, paint or posted
// message waits, so the window's own work always goes first.
constexpr UINT kStepIntervalMs = USER_TIMER_MINIMUM;
const char* const kDropQueuedStartsStep = "drop queued starts";

struct StagedStart {
    StartQueue queue{runningTasks()};
    UINT_PTR timer = 0;
};

StagedStart& staged() {
    static StagedStart s;
    return s;
}

void stopStepping() {
    StagedStart& s = staged();
    if (s.timer) KillTimer(nullptr, std::exchange(s.timer, 0));
}

// A failed start is told to the running tasks' listeners (the row shows
// "未启动"), as any start's failure is.
void startHost(std::int32_t hostId) { TaskControl(hostId, taskStart); }

// The batch's handle writes share one commit, as the listing's did: a
// commit per host would cost more than its thread's start.
void runStep() {
    StagedStart& s = staged();
    SqliteDB& db = programDatabase();
    db.beginTransaction();
    s.queue.step(startHost, kStartBatch);
    db.commitTransaction();
    if (s.queue.empty()) stopStepping();
}

void CALLBACK onStepTimer(HWND, UINT, UINT_PTR, DWORD) { runStep(); }

// Before the tasks stop: a step after them would start tasks nothing stops.
void dropQueuedStarts() {
    stopStepping();
    staged().queue.clear();
}

}  // namespace

void queueTaskStart(std::int32_t hostId) { staged().queue.add(hostId); }

void startQueuedTasks() {
    programExitSequence().addBefore(kStopTasksStep, kDropQueuedStartsStep, dropQueuedStarts);
    runStep();
    StagedStart& s = staged();
    if (s.queue.empty()) return;
    s.timer = SetTimer(nullptr, 0, kStepIntervalMs, onStepTimer);
    // No timer to be had (the desktop's timers used up): every host is
    // started now, as a slow start is better than hosts never monitored.
    if (!s.timer)
        while (!s.queue.empty()) s.queue.step(startHost, kStartBatch);
}

bool tasksStillStarting() { return !staged().queue.empty(); }
