#include "history/history_book.h"

#include <algorithm>
#include <utility>

HostHistory& HistoryBook::hostEntry(std::int32_t hostId) {
    std::unique_ptr<HostHistory>& entry = hosts_[hostId];
    if (!entry) entry = std::make_unique<HostHistory>(hostId);
    return *entry;
}

void HistoryBook::record(std::int32_t hostId, UtcSeconds now, const Cycle& cycle) {
    hostEntry(hostId).record(now, cycle, pending_);
    if (pending_.size() > maxPending_) trimBacklog(pending_, maxPending_);
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
    if (pending_.size() > maxPending_) trimBacklog(pending_, maxPending_);
}

void trimBacklog(std::vector<PeriodRow>& rows, std::size_t maxRows) {
    if (rows.size() <= maxRows) return;
    const std::size_t keep = maxRows - maxRows / 4;
    std::size_t excess = rows.size() - keep;
    auto dropMinutes = [&excess](const PeriodRow& row) {
        if (excess == 0 || row.period != kMinutePeriod) return false;
        --excess;
        return true;
    };
    rows.erase(std::remove_if(rows.begin(), rows.end(), dropMinutes), rows.end());
    // Nothing but coarser rows left to drop: the oldest of them go.
    if (rows.size() > keep) rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(rows.size() - keep));
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

HistoryBatch HistoryBook::takeBatch(UtcSeconds now, bool withOpenStates) {
    closeDue(now);
    HistoryBatch batch;
    // Moved out, not copied: the book starts the next minute empty-handed.
    batch.rows = std::exchange(pending_, {});
    batch.forgotten = std::exchange(forgotten_, {});
    batch.hostIds = hostIds();
    if (withOpenStates) batch.openStates = openStates();
    batch.now = now;
    return batch;
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
