// One running host's health: reachability (unknown, up, down) and latency
// (normal, high), moved by consecutive cycles as the settings say. An
// episode starts at the receipt of the first cycle of the run that starts
// it and ends at the receipt of the first cycle of the run that ends it.
//
// Threads: the user-interface thread only (where status messages arrive).
#pragma once

#include "health/health_settings.h"
#include "health/instant.h"

enum class Reach { unknown, up, down };

// What one cycle changed. Each flag is one transition of this cycle.
struct HealthChange {
    bool wentUp = false;     // unknown -> up: the first answer, nothing to tell
    bool wentDown = false;   // unknown or up -> down; started: the episode's start
    bool recovered = false;  // down -> up; started/ended: the episode's bounds
    bool wentHigh = false;   // normal -> high; started: the episode's start
    bool wentNormal = false; // high -> normal; started/ended, worst
    Instant downStarted, downEnded;
    Instant highStarted, highEnded;
    int worst = 0;  // the ended high episode's worst latency
    bool any() const { return wentUp || wentDown || recovered || wentHigh || wentNormal; }
};

class HostHealth {
public:
    // One cycle: answered (status 0) or not, its level (0..4) and effective
    // latency in ms.
    HealthChange onCycle(bool answered, int level, int latency, Instant at, const HealthSettings& s);
    // High-latency tracking switched off (K = 0): a high episode ends here.
    HealthChange endHigh(Instant at);

    Reach reach() const { return reach_; }
    bool high() const { return high_; }
    const Instant& downSince() const { return downSince_; }
    const Instant& highSince() const { return highSince_; }
    int worst() const { return worst_; }
    int latest() const { return latest_; }  // the last answered cycle's latency

private:
    void onAnswer(int level, int latency, Instant at, const HealthSettings& s, HealthChange& c);
    void onLatency(int level, int latency, Instant at, int needed, HealthChange& c);

    Reach reach_ = Reach::unknown;
    bool high_ = false;
    int failures_ = 0, answers_ = 0, highRun_ = 0, normalRun_ = 0;
    Instant firstFailure_, firstAnswer_, firstHigh_, firstNormal_;
    Instant downSince_, highSince_;
    int runWorst_ = 0, worst_ = 0, latest_ = 0;
};

// Level 3 ("网络异常") and above count as high latency.
constexpr int kHighLatencyLevel = 3;
