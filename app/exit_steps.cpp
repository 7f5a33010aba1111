#include "app/exit_steps.h"

#include "app/globals.h"
#include "app/main_actions.h"
#include "monitor/stop_tokens.h"
#include "runtime/win32/platform_calls.h"
#include "store/log_upkeep.h"

namespace {

// A task inside its probe returns from the ICMP call within the probe's
// timeout (1 s); resolving a name may add to it. Long enough for that, short
// enough that the session's end (which gives the program a few seconds) is
// never held up.
constexpr int kTaskEndWaitMs = 3000;

// The one place the user-interface thread waits on workers: bounded, and
// only once the tasks have been told to stop. Nothing a task waits for is
// held here (it posts its reports, never sends them), so the wait cannot
// deadlock.
void stopTasksAndWait() {
    stopAllMonitorTasks();
    waitNoLiveStopTokens(kTaskEndWaitMs);
}

// A task that returns into a freed library crashes the process at its very
// end. One still running past the wait keeps the libraries: the process's
// end unloads them anyway, after every thread is gone.
void freeLibrariesOnceTasksEnded() {
    if (liveStopTokens() == 0) releasePlatformLibraries();
}

}  // namespace

ExitSequence& programExitSequence() {
    static ExitSequence sequence;
    return sequence;
}

void installExitSteps() {
    ExitSequence& s = programExitSequence();
    // First, so that no task starts another cycle (and log write) while the
    // program ends; the tasks have ended (or the wait gave up) before the
    // database closes.
    s.add(kStopTasksStep, stopTasksAndWait);
    // The connection's last statement refreshes what statistics its queries
    // found stale; the tasks have stopped, so no log row waits on it.
    s.add(kCloseDatabaseStep, [] {
        OptimizeBeforeClose(programDatabase());
        releaseGlobals();
    });
    // Last: no probe may run a late-bound call after this.
    s.add(kFreeLibrariesStep, freeLibrariesOnceTasksEnded);
}

void runExitSequence() { programExitSequence().run(); }
