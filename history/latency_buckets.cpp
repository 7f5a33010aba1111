#include "history/latency_buckets.h"

#include <algorithm>

static_assert(kLatencyBucketEdges[0] == 0 && kLatencyBucketEdges[kFineBucketTopMs] == kFineBucketTopMs,
              "1 ms buckets up to the fine range's top");
static_assert(kLatencyBucketEdges[kLatencyBucketCount - 1] >= kBucketCeilingMs &&
                  kLatencyBucketEdges[kLatencyBucketCount - 2] < kBucketCeilingMs,
              "the open bucket starts at the first edge past the ceiling");

std::size_t latencyBucketOf(int ms) {
    if (ms < 0) ms = 0;
    // The last edge not above ms.
    const auto it = std::upper_bound(kLatencyBucketEdges.begin(), kLatencyBucketEdges.end(), ms);
    return static_cast<std::size_t>(it - kLatencyBucketEdges.begin()) - 1;
}

int latencyBucketValue(std::size_t bucket) {
    if (bucket + 1 >= kLatencyBucketCount) return -1;
    return (kLatencyBucketEdges[bucket] + kLatencyBucketEdges[bucket + 1] - 1) / 2;
}
