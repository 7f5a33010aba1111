#include "history/history_book.h"

#include <algorithm>

HostHistory& HistoryBook::hostEntry(std::int32_t hostId) {
    std::unique_ptr<HostHistory>& entry = hosts_[hostId];
    if (!entry) entry = std::make_unique<HostHistory>(hostId);
    return *entry;
}

void HistoryBook::record(std::int32_t hostId, UtcSeconds now, const Cycle& cycle) {
    hostEntry(hostId).record(now, cycle, pending_);
    if (pending_.size() > maxPending_) trimBacklog();
}

void HistoryBook::taskStarted(std::int32_t hostId, UtcSeconds now) { hostEntry(hostId).taskStarted(now); }

void HistoryBook::forget(std::int32_t hostId) {
    hosts_.erase(hostId);
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [hostId](const PeriodRow& row) { return row.hostId == hostId; }),
                   pending_.end());
    if (std::find(forgotten_.begin(), forgotten_.end(), hostId) == forgotten_.end())
        forgotten_.push_back(hostId);
}

void HistoryBook::closeDue(UtcSeconds now) {
    for (auto& [id, host] : hosts_) host->closeDue(now, pending_);
    if (pending_.size() > maxPending_) trimBacklog();
}

void HistoryBook::trimBacklog() {
    const std::size_t keep = maxPending_ - maxPending_ / 4;
    // Rows are pending in the order they closed, so the first are the oldest.
    std::size_t excess = pending_.size() - std::min(keep, pending_.size());
    auto dropMinutes = [&excess](const PeriodRow& row) {
        if (excess == 0 || row.period != kMinutePeriod) return false;
        --excess;
        return true;
    };
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(), dropMinutes), pending_.end());
    // Nothing but coarser rows left to drop: the oldest of them go.
    if (pending_.size() > keep) pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pending_.size() - keep));
}

void HistoryBook::restore(const std::vector<OpenPeriodState>& states, UtcSeconds now) {
    for (const OpenPeriodState& s : states) {
        // A state of a host deleted since is dropped with the next write.
        if (std::find(forgotten_.begin(), forgotten_.end(), s.hostId) != forgotten_.end()) continue;
        hostEntry(s.hostId).restoreOpen(s.period, s.start, s.state, now, pending_);
    }
}

std::vector<OpenPeriodState> HistoryBook::openStates() const {
    std::vector<OpenPeriodState> states;
    for (const auto& [id, host] : hosts_)
        for (std::size_t kind = 0; kind < kPeriodKinds; ++kind)
            if (host->openStart(kind) >= 0)
                states.push_back({id, kPeriods[kind], host->openStart(kind), host->openPeriod(kind).save()});
    return states;
}

void HistoryBook::clearWritten() {
    // Released, not kept: after a long backlog its capacity would stay.
    pending_ = {};
    forgotten_.clear();
}

const HostHistory* HistoryBook::host(std::int32_t hostId) const {
    const auto it = hosts_.find(hostId);
    return it == hosts_.end() ? nullptr : it->second.get();
}

std::vector<std::int32_t> HistoryBook::hostIds() const {
    std::vector<std::int32_t> ids;
    for (const auto& [id, host] : hosts_) ids.push_back(id);
    return ids;
}
