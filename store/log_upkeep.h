// Upkeep of the log table's indexes and planner statistics.
//
// The log query's plan depends on how many rows a condition matches: an old
// or narrow time range is best searched through the date index, a wide one
// by walking the row ids backwards until 1000 rows match. SQLite tells the
// two apart from the statistics ANALYZE stores (with STAT4 samples of the
// date column), which go stale as the log grows or is cleared. Building an
// index or the statistics on a million rows takes seconds, so it runs on a
// connection and in a thread of its own, never on the user-interface thread.
#pragma once

#include "runtime/text.h"

class SqliteDB;

// Below this many log rows any plan answers at once: no statistics needed.
inline constexpr long long kLogRowsWorthStatistics = 10000;
// Statistics older than a change of this factor in the row count (either
// way) are refreshed: the samples must cover the newest dates the user asks.
inline constexpr double kLogStatisticsDrift = 1.25;

// True when the log holds at least kLogRowsWorthStatistics rows (now or
// when last analysed) and has no statistics, or its row count has drifted
// beyond kLogStatisticsDrift since. Reads the whole row count: for the
// upkeep's own connection.
bool LogStatisticsStale(SqliteDB& db);

// Opens `path` on a connection of its own, makes the indexes start-up
// deferred (CreateDeferredSchema) and refreshes stale statistics of the log
// table. Blocks while it works; waits for the program's own short writes
// (the log INSERTs) rather than failing. Any thread; false when the file
// cannot be opened or a statement failed.
bool KeepLogIndexesCurrent(const Text& path);

// Runs KeepLogIndexesCurrent(path) in a thread of its own and returns at
// once; false when the thread could not start. Start-up calls it once,
// after the hosts are listed.
bool StartLogUpkeep(const Text& path);

// "PRAGMA optimize": the connection's last statement before it closes, so
// that statistics the planner found wanting are brought up to date. The
// user-interface thread, in the exit sequence, after the tasks stopped.
bool OptimizeBeforeClose(SqliteDB& db);
