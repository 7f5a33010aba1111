// What monitor tasks share with the user-interface thread: the database
// connection, the notification receiver and the mailbox of the reports on
// their way to it (monitor/report_mailbox.h), the log lock and the log writer
// (a task that finds no writer, or one that no longer takes rows, writes
// its row itself on the database connection). Start-up sets
// them (the log lock only after the first tasks have started: until then a
// task logs without it). Any thread may read them; set them from the UI
// thread. Tasks read them on every use, so a change reaches running tasks.
#pragma once

#include "runtime/lock.h"
#include "runtime/ui_post.h"

class LogWriter;
class ReportMailbox;
class SqliteDB;

void setMonitorDatabase(SqliteDB* db);
// Also empties the mailbox: reports waiting for the previous receiver are
// dropped.
void setMonitorReceiver(UiReceiver receiver);
void setMonitorLogLock(LockHandle lock);
void setMonitorLogWriter(LogWriter* writer);

SqliteDB* monitorDatabase();
UiReceiver monitorReceiver();
// The process's one mailbox; it outlives every task.
ReportMailbox& monitorReports();
LockHandle monitorLogLock();
LogWriter* monitorLogWriter();
