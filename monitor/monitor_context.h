// What monitor tasks share with the user-interface thread: the database
// connection, the notification receiver and the log lock. Start-up sets
// them (the log lock only after the first tasks have started: until then a
// task logs without it). Any thread may read them; set them from the UI
// thread. Tasks read them on every use, so a change reaches running tasks.
#pragma once

#include "runtime/lock.h"
#include "runtime/ui_post.h"

class SqliteDB;

void setMonitorDatabase(SqliteDB* db);
void setMonitorReceiver(UiReceiver receiver);
void setMonitorLogLock(LockHandle lock);

SqliteDB* monitorDatabase();
UiReceiver monitorReceiver();
LockHandle monitorLogLock();
