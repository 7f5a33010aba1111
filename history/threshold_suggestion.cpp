#include "history/threshold_suggestion.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

constexpr int kNormalTimesTen = 15;   // p90 x 1.5
constexpr int kAbnormalFactor = 2;    // p99 x 2

int roundToStep(long long ms) {
    return static_cast<int>((ms + kThresholdStepMs / 2) / kThresholdStepMs * kThresholdStepMs);
}

// The answered-weighted percentile of per-row values.
int weightedPercentile(std::vector<std::pair<int, std::int64_t>> values, int percent) {
    std::sort(values.begin(), values.end());
    std::int64_t total = 0;
    for (const auto& v : values) total += v.second;
    std::int64_t seen = 0;
    for (const auto& [ms, weight] : values) {
        seen += weight;
        if (seen * 100 >= total * percent) return ms;
    }
    return values.empty() ? 0 : values.back().first;
}

}  // namespace

std::array<int, kHostClasses> thresholdsFrom(int p50, int p90, int p99) {
    std::array<int, kHostClasses> t{};
    t[0] = std::max(kThresholdStepMs, roundToStep(p50));
    t[1] = std::max(t[0] + kThresholdStepMs, roundToStep(static_cast<long long>(p90) * kNormalTimesTen / 10));
    t[2] = std::max(t[1] + kThresholdStepMs, roundToStep(static_cast<long long>(p99) * kAbnormalFactor));
    t[3] = kTimeoutThresholdMs;
    // From the top down: 网络异常 at most 995, each below the next.
    t[2] = std::min(t[2], kHighestAbnormalMs);
    t[1] = std::min(t[1], t[2] - kThresholdStepMs);
    t[0] = std::min(t[0], t[1] - kThresholdStepMs);
    return t;
}

std::optional<ThresholdSuggestion> suggestThresholds(const std::vector<GraphSample>& rows) {
    std::vector<std::pair<int, std::int64_t>> p50s, p90s, maxima;
    ThresholdSuggestion s;
    for (const GraphSample& row : rows) {
        const PeriodFigures& f = row.figures;
        const std::int64_t answered = f.sent - f.lost;
        if (answered <= 0 || !f.max) continue;
        s.coveredSeconds += row.seconds;
        p50s.push_back({f.p50.value_or(*f.max), answered});
        p90s.push_back({f.p90.value_or(*f.max), answered});
        maxima.push_back({*f.max, answered});
    }
    if (s.coveredSeconds < kSuggestionMinSeconds) return std::nullopt;
    s.p50 = weightedPercentile(p50s, 50);
    s.p90 = weightedPercentile(p90s, 90);
    s.p99 = weightedPercentile(maxima, 99);
    s.time = thresholdsFrom(s.p50, s.p90, s.p99);
    return s;
}
