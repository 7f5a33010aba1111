#include "history/host_history.h"

#include <algorithm>

namespace {

void addTo(PeriodAggregate& aggregate, const Cycle& cycle) {
    if (cycle.answered)
        aggregate.addAnswered(cycle.latencyMs);
    else
        aggregate.addLost();
}

void addTo(LatencySummary& summary, const Cycle& cycle) {
    if (cycle.answered)
        summary.addAnswered(cycle.latencyMs);
    else
        summary.addLost();
}

std::size_t kindOf(int period) {
    return static_cast<std::size_t>(std::find(kPeriods.begin(), kPeriods.end(), period) - kPeriods.begin());
}

}  // namespace

void HostHistory::close(Open& open, int period, std::vector<PeriodRow>& closed) {
    if (open.start >= 0 && !open.aggregate.empty())
        closed.push_back({hostId_, period, open.start, open.aggregate.figures()});
    open = Open{};
}

void HostHistory::record(UtcSeconds now, const Cycle& cycle, std::vector<PeriodRow>& closed) {
    for (std::size_t kind = 0; kind < kPeriodKinds; ++kind) {
        Open& open = open_[kind];
        const UtcSeconds start = periodStart(now, kPeriods[kind]);
        if (open.start != start) {
            close(open, kPeriods[kind], closed);
            open.start = start;
        }
        addTo(open.aggregate, cycle);
    }
    addTo(sinceProgram_, cycle);
    addTo(sinceTask_, cycle);
    if (cycle.level != level_) {
        level_ = cycle.level;
        levelSince_ = now;
    }
    remember(now, cycle);
}

void HostHistory::remember(UtcSeconds now, const Cycle& cycle) {
    // A clock set back, or a gap longer than what is kept (a stopped task):
    // what is held is no longer "the last hour" before this cycle.
    if (!recent_.empty() && (now < newest_ || now - newest_ >= kRecentSeconds)) recent_.clear();
    newest_ = now;
    const std::uint16_t latency =
        cycle.answered ? static_cast<std::uint16_t>(std::clamp(cycle.latencyMs, 0, kLostMark - 1)) : kLostMark;
    recent_.push_back({static_cast<std::uint16_t>(now & 0xFFFF), latency});
    while (static_cast<std::uint16_t>(newest_ - recent_.front().timeLow) >= kRecentSeconds) recent_.pop_front();
}

void HostHistory::closeDue(UtcSeconds now, std::vector<PeriodRow>& closed) {
    for (std::size_t kind = 0; kind < kPeriodKinds; ++kind) {
        Open& open = open_[kind];
        if (open.start >= 0 && open.start + kPeriods[kind] <= now) close(open, kPeriods[kind], closed);
    }
}

void HostHistory::taskStarted(UtcSeconds now) {
    sinceTask_ = LatencySummary{};
    level_ = -1;
    levelSince_ = now;
}

bool HostHistory::restoreOpen(int period, UtcSeconds start, const std::string& state, UtcSeconds now,
                              std::vector<PeriodRow>& closed) {
    const std::size_t kind = kindOf(period);
    if (kind >= kPeriodKinds || start != periodStart(start, period)) return false;
    Open kept;
    kept.start = start;
    if (!kept.aggregate.restore(state)) return false;
    Open& open = open_[kind];
    if (open.start < 0 && start <= now && now < start + period) {
        open = std::move(kept);
    } else {
        close(kept, period, closed);
    }
    return true;
}

std::vector<RecentCycle> HostHistory::recent() const {
    std::vector<RecentCycle> out;
    out.reserve(recent_.size());
    for (const Packed& p : recent_) {
        const UtcSeconds age = static_cast<std::uint16_t>(newest_ - p.timeLow);
        out.push_back({newest_ - age, p.latency != kLostMark, p.latency == kLostMark ? 0 : p.latency});
    }
    return out;
}
