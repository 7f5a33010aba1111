// What the graph window draws, worked out away from the window: the shown
// rows of a range (each cycle of the recent hour, or stored periods), one
// column a pixel from them, the latency scale and its ticks, and the CSV of
// the shown rows.
//
// Threads: any; no state.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "history/host_history.h"
#include "history/period_aggregate.h"

// One shown row: a cycle (one second long) or a stored period.
struct GraphSample {
    UtcSeconds start = 0;
    int seconds = 0;
    PeriodFigures figures;
};

// A range of the graph: how far back it reaches and what it is drawn from
// (kEachCycle: the recent hour in memory; else rows of that period kind).
// Ranges that fit the recent hour move with the clock.
inline constexpr int kEachCycle = 0;
struct GraphRange {
    UtcSeconds span;
    int period;
    bool live;
};
inline constexpr std::size_t kGraphRangeCount = 6;
// 10 分钟, 1 小时, 24 小时, 7 天, 30 天, 1 年; each uses the finest rows its
// span keeps (minutes for 2 days, 10 minutes for 60 days, hours for 2 years).
inline constexpr std::array<GraphRange, kGraphRangeCount> kGraphRanges = {{
    {600, kEachCycle, true},
    {3600, kEachCycle, true},
    {86400, kMinutePeriod, false},
    {7 * 86400, kTenMinutePeriod, false},
    {30 * 86400, kTenMinutePeriod, false},
    {365 * 86400, kHourPeriod, false},
}};

GraphSample sampleOf(const RecentCycle& cycle);

// One pixel column. known is false for a column before the first shown row
// (drawn as "no data"); latencies are -1 where nothing was answered.
struct GraphColumn {
    bool known = false;
    std::int64_t sent = 0, lost = 0;
    int min = -1, max = -1, median = -1;
};

// Columns of [from, to) over `width` pixels. A row falls into the column of
// its start; a column's median is the answered-weighted median of its rows'
// medians (a cycle's: its latency).
std::vector<GraphColumn> buildColumns(const std::vector<GraphSample>& samples, UtcSeconds from, UtcSeconds to,
                                      int width);

// The latency axis: linear from 0, or logarithmic (powers of ten) when the
// highest latency shown is kLogSpread times the lowest or more.
inline constexpr int kLogSpread = 20;
struct GraphScale {
    int low = 0, high = 10;
    bool logarithmic = false;
    // Where ms sits, 0 (bottom) to 1 (top), clamped.
    double position(int ms) const;
    // The values to label on the axis, low to high.
    std::vector<int> ticks() const;
};
GraphScale chooseScale(const std::vector<GraphColumn>& columns);

// The rows as CSV in UTF-8 with a byte-order mark, for spreadsheet programs:
// 时间,发送,丢失,最小,平均,最大,中位数,P90,抖动; times as localTime gives
// them, numbers as plain integers, empty where nothing was answered.
std::string graphCsv(const std::vector<GraphSample>& samples,
                     const std::function<std::string(UtcSeconds)>& localTime);
