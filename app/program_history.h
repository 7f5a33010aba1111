// The program's history of every host: each status report of a host whose
// task runs feeds it on the user-interface thread; once a minute its closed
// periods go to the history's writer thread, which writes them on a
// connection of its own; at the end, after the tasks have stopped and
// before the database closes (exit step kFlushHistoryStep), the last ones
// go and the step waits for the writer to finish.
//
// Threads: the user-interface thread only (the writer is history's own).
#pragma once

#include "history/history_book.h"
#include "runtime/text.h"

inline constexpr const char* kFlushHistoryStep = "flush history";
// One batch a minute for all hosts.
inline constexpr unsigned kHistoryFlushIntervalMs = 60 * 1000;
// How long the end waits for the writer's last batch: a whole hour's end of
// 2,000 hosts is written well within it; a file held by another program
// does not keep the program from ending.
inline constexpr int kHistoryEndWaitMs = 10 * 1000;

HistoryBook& programHistoryBook();

// At start-up, once database.db is open and before any task starts:
// resumes the periods the last run left open and hooks the history to the
// status reports, task starts, host deletions and the exit sequence.
void startProgramHistory(const Text& databasePath);
