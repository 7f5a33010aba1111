// Suggested thresholds for a host from its recent history. Each threshold
// is where its class begins (a latency equal to it belongs to that class):
// 网络良好 = p50, 网络正常 = p90 x 1.5, 网络异常 = p99 x 2 (at most 995),
// 连接超时 = 1000; each rounded to 5 ms and kept increasing. A steady
// 250 ms host gets 250 / 375 / 500 / 1000.
//
// The figures come from stored periods (10-minute rows of the last 7 days),
// which keep p50, p90 and the maximum but no histogram: p50 and p90 are the
// answered-weighted percentiles of the rows' own, and p99 is read from the
// rows' maxima (a row's maximum is at least its p99, so the 网络异常 line
// errs high, towards fewer false alarms).
//
// Threads: any; no state.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "history/graph_data.h"
#include "store/host_record.h"

// The history a suggestion needs: an hour of periods with cycles in them.
inline constexpr UtcSeconds kSuggestionMinSeconds = 3600;
// What suggestions read: the last 7 days of 10-minute rows.
inline constexpr UtcSeconds kSuggestionSpan = 7 * 86400;
inline constexpr int kSuggestionPeriod = kTenMinutePeriod;

inline constexpr int kThresholdStepMs = 5;
inline constexpr int kHighestAbnormalMs = 995;
inline constexpr int kTimeoutThresholdMs = 1000;

struct ThresholdSuggestion {
    std::array<int, kHostClasses> time{};    // 网络良好, 网络正常, 网络异常, 连接超时
    UtcSeconds coveredSeconds = 0;  // the history it is based on
    int p50 = 0, p90 = 0, p99 = 0;
};

// Empty when the rows cover less than kSuggestionMinSeconds with answered
// cycles.
std::optional<ThresholdSuggestion> suggestThresholds(const std::vector<GraphSample>& rows);

// The thresholds from the three percentiles, rounded and kept increasing.
std::array<int, kHostClasses> thresholdsFrom(int p50, int p90, int p99);
