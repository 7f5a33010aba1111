// LatencyHistogram: how many answered cycles fell into each fixed latency
// bucket (history/latency_buckets.h). Histograms add up, so a coarser
// period's percentiles are those of all its cycles.
//
// Threads: one owner at a time (the user-interface thread in the program).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "history/latency_buckets.h"

class LatencyHistogram {
public:
    void add(int ms);
    void merge(const LatencyHistogram& other);
    void clear() { counts_.fill(0); total_ = 0; }
    std::uint32_t total() const { return total_; }
    std::uint32_t count(std::size_t bucket) const { return counts_[bucket]; }

    // The nearest-rank percentile (1..100) as its bucket's figure, kept
    // inside [lowest, highest], the extremes actually seen: a steady host
    // reads exactly its latency, and the open top bucket reads the highest.
    // -1 when the histogram is empty.
    int percentile(int percent, int lowest, int highest) const;

    // Bytes for the database: (bucket, count) pairs of the buckets in use,
    // 2 and 4 bytes little-endian. decode is false (and the histogram
    // unchanged) for bytes that are not such pairs.
    std::string encode() const;
    bool decode(const std::string& bytes);

private:
    std::array<std::uint32_t, kLatencyBucketCount> counts_{};
    std::uint32_t total_ = 0;
};
