// Shared by the history benchmark's parts.
#pragma once

#include <chrono>
#include <string>

#include "history/history_store.h"

using BenchClock = std::chrono::steady_clock;

inline double msSince(BenchClock::time_point start) {
    return std::chrono::duration<double, std::milli>(BenchClock::now() - start).count();
}

// One figure against its target: "name: value unit (target <= t unit) ok|short".
void report(const char* name, double value, const char* unit, double target);

// A year (and for the finer kinds their retention) of generated rows of
// `hosts` hosts up to `now`, as the retention leaves them, in the file the
// store has open. Rows a second.
void generateYear(HistoryStore& store, int hosts, UtcSeconds now, UtcSeconds hourSpan);

#ifdef QERNO_BENCH_DRAWING
// Drawing time of each graph range at 1,000 x 400 pixels on a year of one
// host's history in `store`.
void benchDrawing(HistoryBook& book, HistoryStore& store, UtcSeconds now);
#endif
