// The fixed latency buckets every histogram of the history shares: 1 ms wide
// up to kFineBucketTopMs, then each about kBucketGrowthPercent wider than
// the last, up to the first edge at or above kBucketCeilingMs; one open
// bucket holds everything above. Fixed edges are what let histograms of
// finer periods add up to a coarser period's, so coarser percentiles come
// out the same as if every cycle had been kept.
//
// Any thread may call these (the table is built at compile time).
#pragma once

#include <array>
#include <cstddef>

inline constexpr int kFineBucketTopMs = 10;
inline constexpr int kBucketGrowthPercent = 5;
// The probe gives up after 1000 ms; a later reply is rare enough for one
// open bucket.
inline constexpr int kBucketCeilingMs = 1000;

namespace bucket_detail {
// The edge after `edge`: +1 ms in the fine range, then +5% rounded, at least 1.
constexpr int nextEdge(int edge) {
    if (edge < kFineBucketTopMs) return edge + 1;
    const int step = (edge * kBucketGrowthPercent + 50) / 100;
    return edge + (step < 1 ? 1 : step);
}
constexpr std::size_t edgeCount() {
    std::size_t n = 1;
    for (int e = 0; e < kBucketCeilingMs; e = nextEdge(e)) ++n;
    return n;
}
}  // namespace bucket_detail

inline constexpr std::size_t kLatencyBucketCount = bucket_detail::edgeCount();

// kLatencyBucketEdges[i] is the lowest latency of bucket i; the last bucket
// has no upper edge.
inline constexpr std::array<int, kLatencyBucketCount> kLatencyBucketEdges = [] {
    std::array<int, kLatencyBucketCount> edges{};
    int e = 0;
    for (std::size_t i = 0; i < edges.size(); ++i, e = bucket_detail::nextEdge(e)) edges[i] = e;
    return edges;
}();

// The bucket holding a latency (negative latencies count as 0 ms).
std::size_t latencyBucketOf(int ms);
// The figure a bucket stands for: the middle of its whole milliseconds
// (the value itself for a 1 ms bucket); -1 for the open last bucket.
int latencyBucketValue(std::size_t bucket);
