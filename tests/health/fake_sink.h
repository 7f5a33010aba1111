// A HealthSink that writes down what it is told, one line per call, and a
// fake clock: every test moves time by hand, nothing sleeps.
#pragma once

#include <string>
#include <vector>

#include "health/health_monitor.h"

struct FakeClock {
    double seconds = 1000;
    Instant now() const { return {seconds, DateTime{45000 + seconds / 86400}}; }
    Instant advance(double by) {
        seconds += by;
        return now();
    }
};

class RecordingSink : public HealthSink {
public:
    std::vector<std::string> episodes;  // "open 3 down @1002", "close 3 high @1010 worst 350"
    std::vector<Notice> notices;
    std::vector<TraySummary> trays;

    void episodeOpened(std::int32_t id, const HostLabel&, EpisodeKind kind, const Instant& start) override {
        episodes.push_back("open " + std::to_string(id) + kindName(kind) + " @" + whole(start));
    }
    void episodeClosed(std::int32_t id, EpisodeKind kind, const Instant& end, int worst) override {
        episodes.push_back("close " + std::to_string(id) + kindName(kind) + " @" + whole(end) +
                           (worst ? " worst " + std::to_string(worst) : ""));
    }
    void notify(const Notice& n) override { notices.push_back(n); }
    void trayChanged(const TraySummary& s) override { trays.push_back(s); }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const Notice& n : notices) out.push_back(n.text.str());
        return out;
    }

private:
    static std::string kindName(EpisodeKind k) { return k == EpisodeKind::down ? " down" : " high"; }
    static std::string whole(const Instant& at) { return std::to_string(static_cast<long>(at.seconds)); }
};
