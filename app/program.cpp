#include "app/program.h"

#include <windows.h>
#include <float.h>

#include "app/alert_actions.h"
#include "app/exit_steps.h"
#include "app/globals.h"
#include "app/main_actions.h"
#include "app/report_actions.h"
#include "crashguard/win32/crash_guard.h"
#include "runtime/random.h"
#include "runtime/win32/program.h"
#include "runtime/win32/runtime_error_box.h"
#include "runtime/win32/window_commands.h"
#include "ui/host_actions_install.h"
#include "ui/main_window.h"
#include "ui/routing.h"

namespace {

constexpr const char* kEndReportStep = "end report";
// A report's figures only read; the end waits a little for them, never long.
constexpr int kReportEndWaitMs = 2000;

void runModuleInitialisers() {
    seedRandom();
    installCrashGuard();
    loadWindow(mainWindow());
}

}  // namespace

void runProgram() {
    installRuntimeErrorBox();
    startRuntime();
    _fpreset();
    initialiseGlobals();
    // Every end of the program, however it comes, runs the exit sequence.
    installExitSteps();
    registerExitRoutine(runExitSequence);
    installMainActions();
    installHostActions(programDatabase());
    installAlertActions();
    installReportActions();
    programExitSequence().addBefore(kCloseDatabaseStep, kEndReportStep, [] { endReport(kReportEndWaitMs); });
    routeWindowEvents();
    // The crash guard's record for this thread: linked here, in the entry
    // routine, so that it covers the rest of start-up and the message loop.
    EntryGuard crashGuard;
    runModuleInitialisers();
    int code = Window::loadedCount() > 0 ? runMessageLoop() : 0;
    (void)code;  // the loop's end is an orderly end
    endProgram(0);
}
