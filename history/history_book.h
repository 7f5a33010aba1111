// HistoryBook: the history of every host in memory, and what of it is still
// to be written: closed periods, deleted hosts, open periods' states.
//
// The program feeds it from the status receiver (a message of a host whose
// task is not running feeds nothing: the caller checks) and, once a minute
// and at the end, takes what is to be written out of it for the history's
// writer thread (history/history_flush.h, history/history_writer.h).
//
// Threads: the user-interface thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/host_history.h"

// One open period's state, kept in the file so a restart resumes it.
struct OpenPeriodState {
    std::int32_t hostId = 0;
    int period = 0;
    UtcSeconds start = 0;
    std::string state;  // PeriodAggregate::save
};

// Rows kept for the next write while batches keep failing (a full disk),
// by the book and by the writer: an hour of minute rows of 2,000 hosts,
// about 10 MB. Past it the oldest minute rows go first: the 10-minute and
// hour rows still hold their cycles.
inline constexpr std::size_t kMaxPendingRows = 120000;

// What one hand-over gives the writer: the closed periods' rows, the hosts
// deleted since, the ids of the hosts to prune, and at the program's end
// (and at start, once resumed) the open periods' states to keep.
struct HistoryBatch {
    std::vector<PeriodRow> rows;
    std::vector<std::int32_t> forgotten;
    std::vector<std::int32_t> hostIds;
    std::optional<std::vector<OpenPeriodState>> openStates;
    UtcSeconds now = 0;
};

// Cuts a backlog of rows (oldest first) that grew past maxRows down to
// three quarters of it, so that trimming is rare: the oldest minute rows go
// first, as the 10-minute and hour rows still hold their cycles.
void trimBacklog(std::vector<PeriodRow>& rows, std::size_t maxRows);

class HistoryBook {
public:
    explicit HistoryBook(std::size_t maxPendingRows = kMaxPendingRows) : maxPending_(maxPendingRows) {}

    void record(std::int32_t hostId, UtcSeconds now, const Cycle& cycle);
    void taskStarted(std::int32_t hostId, UtcSeconds now);
    // A deleted host: its memory and unwritten rows go now, its rows in the
    // file with the next write.
    void forget(std::int32_t hostId);
    // Closes every period that ended at or before `now`.
    void closeDue(UtcSeconds now);
    // States from the file, at start: resumed or closed (HostHistory::restoreOpen).
    void restore(const std::vector<OpenPeriodState>& states, UtcSeconds now);

    const std::vector<PeriodRow>& pendingRows() const { return pending_; }
    const std::vector<std::int32_t>& forgottenHosts() const { return forgotten_; }
    std::vector<OpenPeriodState> openStates() const;
    // Closes the periods due at `now` and hands out what is pending (the
    // book then holds none of it), with the open states when asked.
    HistoryBatch takeBatch(UtcSeconds now, bool withOpenStates);

    // Nullptr for a host with no history in memory.
    const HostHistory* host(std::int32_t hostId) const;
    std::vector<std::int32_t> hostIds() const;
    std::size_t hostCount() const { return hosts_.size(); }

private:
    HostHistory& hostEntry(std::int32_t hostId);
    std::map<std::int32_t, std::unique_ptr<HostHistory>> hosts_;
    std::vector<PeriodRow> pending_;
    std::vector<std::int32_t> forgotten_;
    std::size_t maxPending_;
};
