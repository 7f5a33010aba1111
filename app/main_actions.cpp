#include "app/main_actions.h"

#include "app/exit_steps.h"
#include "app/globals.h"
#include "app/held_host_list.h"
#include "app/startup.h"
#include "monitor/monitor_context.h"
#include "monitor/not_started.h"
#include "monitor/report_mailbox.h"
#include "monitor/running_tasks.h"
#include "monitor/status_receiver.h"
#include "monitor/stop_tokens.h"
#include "runtime/lock.h"
#include "runtime/win32/program.h"
#include "runtime/win32/window_commands.h"
#include "store/host_record.h"
#include "store/sqlite_table.h"
#include "ui/actions.h"
#include "ui/main_window.h"
#include "ui/tray.h"

namespace {

// The close box only hides the window; the tray icon brings it back.
std::optional<int> onMainCloseQuery() {
    const Unit main = unitOf(mainWindow());
    setProperty(main, Property::WindowPosition, WindowPosition::Minimised);
    setProperty(main, Property::Visible, 0);
    showTrayBalloon("我在这里", "Qerno网络检测", NIIF_INFO);
    return 0;
}

// Tasks may still be running: they take the log lock by handle, and a
// deleted handle is no lock, so their writes go on unlocked.
void onMainDestroying() {
    const LockHandle lock = monitorLogLock();
    setMonitorLogLock(0);
    deleteLock(lock);
}

template <typename Slot, typename Action>
void fill(Slot& slot, Action action) {
    if (!slot) slot = action;
}

// Rows of hosts whose task failed to start show "未启动", also over the
// late last report of the task a failed restart replaced.
void followFailedStarts() {
    static NotStartedRows rows(runningTasks(), programHostList());
    static const StatusReceiver::ListenerId listener =
        programStatusReceiver().addListener([](const TaskStatusMessage& m) { rows.onReport(m.hostId); });
    (void)listener;
}

}  // namespace

StatusReceiver& programStatusReceiver() {
    static StatusReceiver receiver(programHostList());
    return receiver;
}

int ApplyStatusReport(std::intptr_t wParam, std::intptr_t lParam) {
    for (std::uintptr_t block : reportsOf(static_cast<std::uintptr_t>(wParam), lParam, monitorReports()))
        programStatusReceiver().receive(block);
    flushHostListIfDue();
    return 0;
}

void stopAllMonitorTasks() {
    SqliteDB* db = monitorDatabase();
    SqliteTable table;
    if (!db || !openHostTable(table, *db)) return;
    const int count = table.recordCount();
    table.moveFirst();
    for (int i = 1; i <= count; ++i) {
        HostRecord host;
        if (readHostRecord(table, host, {HostField::handle}) && host.handle > 0) setStopToken(host.handle);
        table.skip(1);
    }
    table.close();
    // The column may be stale or unwritten (a read-only file): the running
    // tasks' own record stops whatever the walk missed.
    RunningTasks& running = runningTasks();
    for (std::int32_t id : running.hosts()) setStopToken(running.stopped(id));
}

void ExitProgram() {
    // The tasks stop before the windows go; the program's end runs the rest
    // of the exit sequence.
    programExitSequence().runThrough(kStopTasksStep);
    removeTrayIcon();
    destroyWindow(mainWindow());
    endProgram(0);
}

void installMainActions() {
    followFailedStarts();
    UiActions& a = uiActions();
    fill(a.startUp, OnMainWindowCreated);
    fill(a.mainCloseQuery, onMainCloseQuery);
    fill(a.mainDestroying, onMainDestroying);
    fill(a.statusReport, ApplyStatusReport);
    fill(a.showMainWindow, showMainWindowCentred);
    fill(a.exitProgram, [] { ExitProgram(); });
    // Windows may end the process as soon as the session-end message is
    // answered: the tasks stop and the database closes before that.
    fill(a.sessionEnding, runExitSequence);
}
