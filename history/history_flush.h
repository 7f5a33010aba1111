// The history's writes: once a minute and at the program's end.
//
// Threads: the user-interface thread only.
#pragma once

#include "history/history_book.h"
#include "history/history_store.h"
#include "runtime/lock.h"

// Closes the periods that have ended, then writes what is pending in one
// batch; with atEnd the open periods' states are kept too, for the next
// run. A batch that fails leaves the book as it was: the next minute's
// batch carries its rows. False when the batch failed.
// The log lock is held for the batch (milliseconds): a monitor task's log
// INSERT on the shared connection waits for it there instead of meeting the
// batch's write lock in SQLite, which would fail the log row.
bool flushHistory(HistoryBook& book, HistoryStore& store, UtcSeconds now, bool atEnd, LockHandle logLock);

// At start: resumes the open periods kept by the last run (or closes those
// that have ended), and writes at once what that closed.
bool resumeHistory(HistoryBook& book, HistoryStore& store, UtcSeconds now, LockHandle logLock);
