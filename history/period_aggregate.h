// One period of one host (a minute, ten minutes, an hour): its summary and
// its latency histogram, and the figures of its `history` row.
//
// Threads: one owner at a time (the user-interface thread in the program).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "history/latency_histogram.h"
#include "history/latency_summary.h"

// The figures of one period as stored: latencies in whole ms, empty when
// nothing was answered (jitter: fewer than two answers).
struct PeriodFigures {
    std::int64_t sent = 0, lost = 0;
    std::optional<int> min, avg, max, p50, p90, jitter;
    bool operator==(const PeriodFigures& o) const {
        return sent == o.sent && lost == o.lost && min == o.min && avg == o.avg && max == o.max &&
               p50 == o.p50 && p90 == o.p90 && jitter == o.jitter;
    }
};

class PeriodAggregate {
public:
    void addAnswered(int ms);
    void addLost();
    // Appends a period that followed this one (a finer period rolled up).
    void append(const PeriodAggregate& later);
    bool empty() const { return summary_.sent() == 0; }

    PeriodFigures figures() const;
    // Any percentile (1..100) of the answered cycles; empty when none.
    std::optional<int> percentile(int percent) const;
    const LatencySummary& summary() const { return summary_; }
    const LatencyHistogram& histogram() const { return histogram_; }

    // The whole state as bytes, to keep an open period across a restart;
    // restore is false (and the aggregate unchanged) for unreadable bytes.
    std::string save() const;
    bool restore(const std::string& bytes);

private:
    LatencySummary summary_;
    LatencyHistogram histogram_;
};
