#include "app/exit_steps.h"

#include "app/globals.h"
#include "app/main_actions.h"
#include "runtime/win32/platform_calls.h"
#include "store/log_upkeep.h"

ExitSequence& programExitSequence() {
    static ExitSequence sequence;
    return sequence;
}

void installExitSteps() {
    ExitSequence& s = programExitSequence();
    // First, so that no task starts another cycle (and log write) while the
    // program ends; one still inside its cycle finds the connection closed
    // and its statement fails cleanly.
    s.add(kStopTasksStep, stopAllMonitorTasks);
    // The connection's last statement refreshes what statistics its queries
    // found stale; the tasks have stopped, so no log row waits on it.
    s.add(kCloseDatabaseStep, [] {
        OptimizeBeforeClose(programDatabase());
        releaseGlobals();
    });
    // Last: no probe may run a late-bound call after this.
    s.add(kFreeLibrariesStep, releasePlatformLibraries);
}

void runExitSequence() { programExitSequence().run(); }
