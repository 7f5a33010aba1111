#include "app/exit_steps.h"

#include "app/globals.h"
#include "app/main_actions.h"
#include "runtime/win32/platform_calls.h"

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
    s.add(kCloseDatabaseStep, releaseGlobals);
    // Last: no probe may run a late-bound call after this.
    s.add(kFreeLibrariesStep, releasePlatformLibraries);
}

void runExitSequence() { programExitSequence().run(); }
