#include "app/staged_start.h"

#include <utility>

#include "app/exit_steps.h"
#include "app/globals.h"
#include "app/main_actions.h"
#include "monitor/running_tasks.h"
#include "monitor/start_queue.h"
#include "monitor/status_receiver.h"
#include "monitor/task_control.h"
#include "runtime/win32/subclass.h"
#include "store/sqlite_db.h"

namespace {

// One step starts at most this many tasks or runs this long, whichever comes
// first: a start under Wine costs a millisecond or two (most of it the
// thread's creation), so a step keeps well inside the time in which the
// window must answer a sent message.
constexpr StartQueue::Batch kStartBatch{25, std::chrono::milliseconds(10)};
// Each step posts the next one to the main window. A posted message queues
// behind the status reports the started tasks posted meanwhile, so the two
// take turns; a timer alone would not do, as WM_TIMER comes only when no
// posted message waits, and a thousand running tasks post a thousand a
// second.
constexpr UINT kStartStepMessage = WM_APP + 0x21;
// But posted messages also come before the user's input and the painting:
// while input waits, or painting has waited this long, the next step is
// left to this timer, which comes after them. (Painting before every step
// would cost as much as the step: a few milliseconds each time, and the
// tasks' reports invalidate some row all the time.) The timer also takes
// the next step should a post fail (a queue full of reports), and never
// runs one while a posted step waits.
constexpr UINT kTimerIntervalMs = USER_TIMER_MINIMUM;
constexpr ULONGLONG kPaintEveryMs = 100;
// When the reports come faster than the window handles them (every cell of
// a long list changing), a posted step waits behind the whole backlog and
// the timer never comes: a report handled this long after the last step
// takes the next one, so the starts still move on at a steady share of the
// thread's time.
constexpr ULONGLONG kOverdueAfterMs = 30;
const char* const kDropQueuedStartsStep = "drop queued starts";

struct StagedStart {
    StartQueue queue{runningTasks()};
    HWND window = nullptr;
    UINT_PTR timer = 0;
    bool stepPosted = false;
    ULONGLONG paintedAt = 0;  // when a step last gave way to painting
    ULONGLONG steppedAt = 0;  // when the last step ended
    StatusReceiver::ListenerId reports = 0;
};

StagedStart& staged() {
    static StagedStart s;
    return s;
}

LRESULT stepHook(const SubclassCall& call, void*);

void stopStepping() {
    StagedStart& s = staged();
    if (s.timer) KillTimer(nullptr, std::exchange(s.timer, 0));
    if (s.window) removeSubclass<stepHook>(std::exchange(s.window, nullptr));
    if (s.reports) programStatusReceiver().removeListener(std::exchange(s.reports, 0));
}

// A failed start is told to the running tasks' listeners (the row shows
// "未启动"), as any start's failure is.
void startHost(std::int32_t hostId) { TaskControl(hostId, taskStart); }

// Whether input waits, or painting is due; the next step then waits for
// the timer.
bool giveWayToUser(StagedStart& s) {
    const UINT waiting = HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT));
    if (waiting & QS_INPUT) return true;
    if (!(waiting & QS_PAINT)) return false;
    const ULONGLONG now = GetTickCount64();
    if (now - s.paintedAt < kPaintEveryMs) return false;
    s.paintedAt = now;
    return true;
}

// The batch's handle writes share one commit, as the listing's did: a
// commit per host would cost more than its thread's start.
void runStep() {
    StagedStart& s = staged();
    if (s.queue.empty()) return;  // dropped by the exit sequence meanwhile
    SqliteDB& db = programDatabase();
    db.beginTransaction();
    s.queue.step(startHost, kStartBatch);
    db.commitTransaction();
    s.steppedAt = GetTickCount64();
    if (s.queue.empty()) {
        stopStepping();
        return;
    }
    if (!s.stepPosted)
        s.stepPosted = !giveWayToUser(s) && s.window && PostMessageW(s.window, kStartStepMessage, 0, 0);
}

LRESULT stepHook(const SubclassCall& call, void*) {
    if (call.msg != kStartStepMessage) return call.next();
    staged().stepPosted = false;
    runStep();
    return 0;
}

void CALLBACK onStepTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!staged().stepPosted) runStep();
}

void onReport(const TaskStatusMessage&) {
    if (GetTickCount64() - staged().steppedAt >= kOverdueAfterMs) runStep();
}

// Before the tasks stop: a step after them would start tasks nothing stops.
void dropQueuedStarts() {
    stopStepping();
    staged().queue.clear();
}

}  // namespace

void queueTaskStart(std::int32_t hostId) { staged().queue.add(hostId); }

void startQueuedTasks(HWND main) {
    StagedStart& s = staged();
    programExitSequence().addBefore(kStopTasksStep, kDropQueuedStartsStep, dropQueuedStarts);
    if (s.queue.empty()) return;
    if (addSubclass<stepHook>(main, nullptr)) s.window = main;
    s.timer = SetTimer(nullptr, 0, kTimerIntervalMs, onStepTimer);
    s.reports = programStatusReceiver().addListener(onReport);
    // Neither a window to post to nor a timer: every host is started now,
    // as a slow start is better than hosts never monitored.
    if (!s.window && !s.timer) {
        while (!s.queue.empty()) s.queue.step(startHost, kStartBatch);
        return;
    }
    runStep();
}

bool tasksStillStarting() { return !staged().queue.empty(); }
