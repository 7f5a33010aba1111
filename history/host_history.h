// HostHistory: what is kept in memory of one host: its cycles of the last
// hour at full resolution, its open minute, 10-minute and hour, its figures
// since the program and since its task started, and its current state.
//
// Every cycle goes to all three open periods at once, so a coarser period
// holds the same cycles its finer periods held (and the same histogram);
// a period closes when a cycle of a later period arrives, or when its end
// has passed (closeDue), and leaves one row.
//
// A clock set back makes the open periods close early and new ones open at
// the earlier time; the rows of a period named twice are merged on writing
// (history/history_store.h), never doubled.
//
// Threads: one owner (the user-interface thread in the program).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "history/history_periods.h"
#include "history/period_aggregate.h"

// One cycle as the status message reports it.
struct Cycle {
    bool answered = false;  // status 0
    int latencyMs = 0;      // the round-trip time of an answered cycle
    int level = 0;          // its class (0..4)
};

// One closed period, ready to be written.
struct PeriodRow {
    std::int32_t hostId = 0;
    int period = 0;
    UtcSeconds start = 0;
    PeriodFigures figures;
};

// One cycle of the recent hour.
struct RecentCycle {
    UtcSeconds time = 0;
    bool answered = false;
    int latencyMs = 0;
};

class HostHistory {
public:
    explicit HostHistory(std::int32_t hostId) : hostId_(hostId) {}

    // Adds a cycle at `now`; periods it closes go to `closed`.
    void record(UtcSeconds now, const Cycle& cycle, std::vector<PeriodRow>& closed);
    // Closes the open periods that ended at or before `now`.
    void closeDue(UtcSeconds now, std::vector<PeriodRow>& closed);
    // The host's task (re)started: its own figures start afresh.
    void taskStarted(UtcSeconds now);

    // An open period kept from an earlier run: resumed when `now` is still
    // inside it and this period kind has not opened yet, closed (to
    // `closed`) otherwise. False for unreadable state or an unknown period.
    bool restoreOpen(int period, UtcSeconds start, const std::string& state, UtcSeconds now,
                     std::vector<PeriodRow>& closed);

    std::int32_t hostId() const { return hostId_; }
    const LatencySummary& sinceProgramStart() const { return sinceProgram_; }
    const LatencySummary& sinceTaskStart() const { return sinceTask_; }
    // The level of the last cycle and since when it has held; -1 before any.
    int level() const { return level_; }
    UtcSeconds levelSince() const { return levelSince_; }

    // The open period of kind i (kPeriods[i]); start -1 when none is open.
    UtcSeconds openStart(std::size_t kind) const { return open_[kind].start; }
    const PeriodAggregate& openPeriod(std::size_t kind) const { return open_[kind].aggregate; }

    // The recent hour, oldest first.
    std::vector<RecentCycle> recent() const;
    std::size_t recentCount() const { return recent_.size(); }

private:
    struct Open {
        UtcSeconds start = -1;
        PeriodAggregate aggregate;
    };
    // 4 bytes a cycle: with 2,000 hosts an hour of cycles is what memory is
    // mostly spent on. The time is kept as its low 16 bits, read back
    // against the newest cycle's full time: an hour is well inside 2^16 s.
    struct Packed {
        std::uint16_t timeLow;
        std::uint16_t latency;  // kLostMark for a lost cycle
    };
    static constexpr std::uint16_t kLostMark = 0xFFFF;

    void close(Open& open, int period, std::vector<PeriodRow>& closed);
    void remember(UtcSeconds now, const Cycle& cycle);

    std::int32_t hostId_;
    std::array<Open, kPeriodKinds> open_;
    std::deque<Packed> recent_;
    UtcSeconds newest_ = 0;
    LatencySummary sinceProgram_, sinceTask_;
    int level_ = -1;
    UtcSeconds levelSince_ = 0;
};
