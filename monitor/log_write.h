// Writing one log row when other connections also write to the file.
//
// The history's batches, the log upkeep and other programs take the file's
// write lock for a moment. The program's shared connection does not wait for
// it inside SQLite: a statement waiting there would hold the connection's
// mutex and stall every statement of the user-interface thread. A row that
// finds the file busy is tried again instead, outside the log lock (a log
// clear or a host delete on the user-interface thread never waits on the
// retries), until the lock goes or the give-up time has passed.
//
// Threads: any thread; a monitor task calls it for a logged cycle when no
// log writer (monitor/log_writer.h) takes the row: before the program's
// writer has started, after it has ended, and in tests without one.
#pragma once

#include "runtime/lock.h"
#include "runtime/text.h"

class SqliteDB;

// How long a logged cycle keeps trying while the file is busy: longer than
// any of the program's own writes holds the lock, well below what would
// delay the task's next cycles for long.
inline constexpr int kLogBusyGiveUpMs = 5000;
inline constexpr int kLogBusyRetryMs = 20;

// Executes `sql` under the log lock; true once it is written. False for any
// failure other than a busy file, or when the file stayed busy past giveUpMs.
bool WriteLogRow(SqliteDB& db, LockHandle logLock, const Text& sql, int giveUpMs = kLogBusyGiveUpMs);
