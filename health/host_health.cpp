#include "health/host_health.h"

#include <algorithm>

HealthChange HostHealth::onCycle(bool answered, int level, int latency, Instant at,
                                 const HealthSettings& s) {
    HealthChange c;
    if (answered) {
        onAnswer(level, latency, at, s, c);
        return c;
    }
    answers_ = 0;
    // A failure breaks both latency runs: they count consecutive cycles.
    highRun_ = normalRun_ = 0;
    if (failures_++ == 0) firstFailure_ = at;
    if (reach_ != Reach::down && failures_ >= s.downAfter) {
        reach_ = Reach::down;
        downSince_ = firstFailure_;
        c.wentDown = true;
        c.downStarted = downSince_;
    }
    return c;
}

void HostHealth::onAnswer(int level, int latency, Instant at, const HealthSettings& s, HealthChange& c) {
    failures_ = 0;
    if (answers_++ == 0) firstAnswer_ = at;
    if (reach_ == Reach::unknown) {
        reach_ = Reach::up;
        c.wentUp = true;
    } else if (reach_ == Reach::down && answers_ >= s.upAfter) {
        reach_ = Reach::up;
        c.recovered = true;
        c.downStarted = downSince_;
        c.downEnded = firstAnswer_;
    }
    latest_ = latency;
    if (s.highAfter > 0) onLatency(level, latency, at, s.highAfter, c);
}

void HostHealth::onLatency(int level, int latency, Instant at, int needed, HealthChange& c) {
    if (level >= kHighLatencyLevel) {
        normalRun_ = 0;
        if (highRun_++ == 0) {
            firstHigh_ = at;
            runWorst_ = 0;
        }
        runWorst_ = std::max(runWorst_, latency);
        if (high_) {
            worst_ = std::max(worst_, latency);
        } else if (highRun_ >= needed) {
            high_ = true;
            highSince_ = firstHigh_;
            worst_ = runWorst_;
            c.wentHigh = true;
            c.highStarted = highSince_;
        }
        return;
    }
    highRun_ = 0;
    if (!high_) return;
    if (normalRun_++ == 0) firstNormal_ = at;
    if (normalRun_ >= needed) {
        high_ = false;
        normalRun_ = 0;
        c.wentNormal = true;
        c.highStarted = highSince_;
        c.highEnded = firstNormal_;
        c.worst = worst_;
    }
}

HealthChange HostHealth::endHigh(Instant at) {
    HealthChange c;
    highRun_ = normalRun_ = 0;
    if (!high_) return c;
    high_ = false;
    c.wentNormal = true;
    c.highStarted = highSince_;
    c.highEnded = at;
    c.worst = worst_;
    return c;
}
