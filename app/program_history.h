// The program's history of every host: each status report of a host whose
// task runs feeds it on the user-interface thread; it is written once a
// minute on a connection of its own, and at the end, after the tasks have
// stopped and before the database closes (exit step kFlushHistoryStep).
//
// Threads: the user-interface thread only.
#pragma once

#include "history/history_book.h"
#include "runtime/text.h"

inline constexpr const char* kFlushHistoryStep = "flush history";
// One batch a minute for all hosts.
inline constexpr unsigned kHistoryFlushIntervalMs = 60 * 1000;

HistoryBook& programHistoryBook();

// At start-up, once database.db is open and before any task starts:
// resumes the periods the last run left open and hooks the history to the
// status reports, task starts, host deletions and the exit sequence.
void startProgramHistory(const Text& databasePath);
