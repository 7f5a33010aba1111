#include "history/latency_summary.h"

#include <algorithm>
#include <cstdlib>

void LatencySummary::addAnswered(int ms) {
    if (ms < 0) ms = 0;  // a reply "in under a millisecond" may read -1 on some stacks
    if (answered() == 0) {
        s_.min = s_.max = ms;
        s_.first = ms;
    } else {
        s_.min = std::min(s_.min, ms);
        s_.max = std::max(s_.max, ms);
    }
    if (s_.last >= 0) {
        s_.jitterSum += std::abs(ms - s_.last);
        ++s_.jitterSteps;
    }
    s_.last = ms;
    s_.sum += ms;
    ++s_.sent;
}

void LatencySummary::addLost() {
    ++s_.sent;
    ++s_.lost;
}

void LatencySummary::append(const LatencySummary& later) {
    const State& o = later.s_;
    if (later.answered() > 0) {
        if (answered() == 0) {
            s_.min = o.min;
            s_.max = o.max;
            s_.first = o.first;
        } else {
            s_.min = std::min(s_.min, o.min);
            s_.max = std::max(s_.max, o.max);
            s_.jitterSum += std::abs(o.first - s_.last);
            ++s_.jitterSteps;
        }
        s_.last = o.last;
    }
    s_.sent += o.sent;
    s_.lost += o.lost;
    s_.sum += o.sum;
    s_.jitterSum += o.jitterSum;
    s_.jitterSteps += o.jitterSteps;
}

std::optional<int> LatencySummary::min() const {
    return answered() ? std::optional<int>(s_.min) : std::nullopt;
}
std::optional<int> LatencySummary::max() const {
    return answered() ? std::optional<int>(s_.max) : std::nullopt;
}
std::optional<int> LatencySummary::average() const {
    if (!answered()) return std::nullopt;
    return static_cast<int>(roundedQuotient(s_.sum, answered()));
}
std::optional<int> LatencySummary::jitter() const {
    if (!s_.jitterSteps) return std::nullopt;
    return static_cast<int>(roundedQuotient(s_.jitterSum, s_.jitterSteps));
}

int LatencySummary::lossPermille() const {
    return s_.sent ? static_cast<int>(roundedQuotient(s_.lost * 1000, s_.sent)) : 0;
}

LatencySummary::State LatencySummary::state() const { return s_; }

LatencySummary LatencySummary::fromState(const State& state) {
    LatencySummary summary;
    summary.s_ = state;
    return summary;
}
