// The main window's own operations and the tray menu's: start-up, the close
// box (hide to the tray), the window's end (log lock), the monitor tasks'
// status reports, "显示" and "退出".
// Threads: the user-interface thread only.
#pragma once

#include <cstdint>

class StatusReceiver;

// Fills the slots above that are still empty (a test program may have
// filled some before the program's start).
void installMainActions();

// Sets the stop event of every host's task (by the handles stored in
// serverlist); the tasks end after their current cycle.
void stopAllMonitorTasks();

// The receiver of the monitor tasks' status reports, on the main window's
// host list; features that follow every report register their listeners on
// it at start-up.
StatusReceiver& programStatusReceiver();

// The notification receiver's handler: applies the task status reports a
// message brings (wParam: its hand-off block; or lParam kReportsWaiting:
// every report waiting in the tasks' mailbox, monitor/report_mailbox.h) to
// the host list, then to the listeners, one report after the other.
// The list's cells show it at the next flush (app/held_host_list.h).
int ApplyStatusReport(std::intptr_t wParam, std::intptr_t lParam);

// "退出": stops the tasks, removes the tray icon, closes the main window and
// ends the program with exit code 0; the end runs the rest of the exit
// sequence (app/exit_steps.h), which closes the database.
[[noreturn]] void ExitProgram();
