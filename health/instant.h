// A moment as the health layer sees it: a monotonic count of seconds for
// every interval it measures (grouping, hold-back, durations), and the wall
// date-time of the same moment for what is written down (outage rows). The
// caller reads both clocks once per event; tests give both by hand.
#pragma once

#include "runtime/values.h"

struct Instant {
    double seconds = 0;  // monotonic; only differences mean anything
    DateTime wall{};     // local time of the same moment
};
