// The figures of an outage report, worked out away from the file and the
// windows: from the rows the reader brought (history periods of each host,
// outage rows) to each host's availability, outages, downtime, latency,
// loss, coverage and daily series, and the outage list.
//
// Times. The user chooses the range on the local clock and outage rows hold
// local date texts; history rows are keyed by UTC. Local times here are
// "local seconds": the local wall-clock text read as if it were UTC
// (utcFromText of a FormatDateTime text), so they compare and subtract like
// the outage rows' texts. The reader turns history starts into local
// seconds with a LocalClock before they arrive here.
//
// Threads: any; no state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/utc_text.h"

using LocalSeconds = std::int64_t;

// Kinds of outage rows, as the alerts write them.
inline constexpr int kOutageDown = 1;
inline constexpr int kOutageHighLatency = 2;

struct ReportHost {
    std::int32_t id = 0;
    std::string name;     // UTF-8
    std::string address;  // UTF-8
};

// One stored history period of a host, its start on the local clock.
struct ReportPeriod {
    std::int32_t hostId = 0;
    int period = 0;  // seconds: 60, 600 or 3600
    LocalSeconds start = 0;
    std::int64_t sent = 0, lost = 0;
    std::optional<int> avg, max;
};

// One outage row as stored; end empty (nullopt) while it lasts.
struct ReportOutageRow {
    std::int32_t hostId = 0;
    std::string name, address;  // UTF-8, as the row names the host
    int kind = kOutageDown;
    LocalSeconds start = 0;
    std::optional<LocalSeconds> end;
    int worst = 0;  // ms; 0 for a down episode
};

struct ReportRequest {
    LocalSeconds from = 0, to = 0;  // [from, to)
    LocalSeconds now = 0;           // when the report is made: nothing is known past it
    std::vector<ReportHost> hosts;
};

struct ReportInput {
    std::vector<ReportPeriod> periods;    // of the requested hosts, any order
    std::vector<ReportOutageRow> outages;  // of the requested hosts, any order
};

// An outage cut to the range (and to `now` while it lasts).
struct ReportOutage {
    std::int32_t hostId = 0;
    std::string name, address;
    int kind = kOutageDown;
    LocalSeconds start = 0, end = 0;  // as cut
    bool startsBefore = false;        // began before the range
    bool lasting = false;             // still open when the report was made
    bool endsAfter = false;           // ended (or lasts) past the range's end
    int worst = 0;
    LocalSeconds duration() const { return end - start; }
};

// One local calendar day of the range (cut to the range and to now).
struct ReportDay {
    LocalSeconds start = 0, end = 0;
    bool fromHistory = false;  // false: availability from the outage rows
    std::optional<double> availability;  // 0..1; empty for a day not yet begun
    LocalSeconds downtime = 0;
};

struct HostFigures {
    ReportHost host;
    // Weighted by monitored time over the days (see the note of the report).
    std::optional<double> availability;
    int outages = 0;  // down episodes touching the range
    int highLatency = 0;
    LocalSeconds downtime = 0, longest = 0;
    std::optional<int> worstMs, averageMs;
    std::optional<double> loss;      // 0..1; empty without history
    std::optional<double> coverage;  // 0..1; empty without history
    bool history = false;            // some day of it came from history
    bool estimated = false;          // some day of it came from the outage rows alone
    std::int64_t sent = 0, lost = 0;
    std::vector<ReportDay> days;
};

struct ReportFigures {
    LocalSeconds from = 0, to = 0, made = 0;
    std::vector<HostFigures> hosts;       // in the request's order
    std::vector<ReportOutage> outageList;  // newest first
    // Whether anything at all was found for the hosts in the range.
    bool hasData() const;
};

ReportFigures computeReport(const ReportRequest& request, const ReportInput& input);

// The first second of the local day that holds t.
LocalSeconds dayStart(LocalSeconds t);
