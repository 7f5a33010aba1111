// Latency classification: one probe outcome -> level, class colour and the
// latency that is shown, averaged and logged. Pure; any thread may call it.
#pragma once

#include <cstdint>

struct Thresholds {
    int32_t time[4];   // t1..t4, ms
    int32_t color[4];  // c1..c4, 0x00BBGGRR
};

struct Classification {
    int level = 0;              // 0..4
    int32_t color = 0;          // one of c1..c4
    int32_t effectiveLatency = 0;  // ms; 1000 for a failed echo
};

// roundTrip: the reply record's RoundTripTime; status: the probe result.
// A failed echo is a zero time with a non-zero status; a non-zero status
// that comes with a time is judged by its time.
Classification Classify(int32_t roundTrip, int32_t status, const Thresholds& thresholds);
