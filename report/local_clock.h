// The local clock's relation to UTC, for the report: the user's range and
// the outage rows are local date texts, history rows are keyed by UTC.
// "Local seconds" are the local wall-clock text read as if it were UTC
// (report/report_figures.h).
//
// Threads: any; the machine's clock reads the C runtime's time zone, which
// nothing in the program changes while it runs.
#pragma once

#include <functional>

#include "report/report_figures.h"

struct LocalClock {
    std::function<UtcSeconds(LocalSeconds)> toUtc;
    std::function<LocalSeconds(UtcSeconds)> toLocal;
};

// The machine's time zone, summer time included.
LocalClock machineLocalClock();
// A zone that is always `offset` seconds ahead of UTC (tests).
LocalClock fixedOffsetClock(std::int64_t offset);
