#include "history/graph_rows.h"

#include <algorithm>

namespace {

bool inside(UtcSeconds t, UtcSeconds from, UtcSeconds to) { return t >= from && t < to; }

std::size_t kindOf(int period) {
    return static_cast<std::size_t>(std::find(kPeriods.begin(), kPeriods.end(), period) - kPeriods.begin());
}

}  // namespace

std::vector<GraphSample> graphRows(const HistoryBook& book, const ClosedRows& closed, std::int32_t hostId,
                                   const GraphRange& range, UtcSeconds from, UtcSeconds to) {
    std::vector<GraphSample> rows;
    const HostHistory* host = book.host(hostId);
    if (range.period == kEachCycle) {
        if (!host) return rows;
        for (const RecentCycle& c : host->recent())
            if (inside(c.time, from, to)) rows.push_back(sampleOf(c));
        return rows;
    }
    for (const StoredPeriod& p : closed(hostId, range.period, from, to))
        rows.push_back({p.start, range.period, p.figures});
    for (const PeriodRow& p : book.pendingRows())
        if (p.hostId == hostId && p.period == range.period && inside(p.start, from, to))
            rows.push_back({p.start, range.period, p.figures});
    const std::size_t kind = kindOf(range.period);
    if (host && kind < kPeriodKinds && inside(host->openStart(kind), from, to) && !host->openPeriod(kind).empty())
        rows.push_back({host->openStart(kind), range.period, host->openPeriod(kind).figures()});
    std::stable_sort(rows.begin(), rows.end(),
                     [](const GraphSample& a, const GraphSample& b) { return a.start < b.start; });
    return rows;
}

std::vector<GraphSample> graphRows(const HistoryBook& book, HistoryStore& store, std::int32_t hostId,
                                   const GraphRange& range, UtcSeconds from, UtcSeconds to) {
    const ClosedRows stored = [&store](std::int32_t id, int period, UtcSeconds first, UtcSeconds end) {
        return store.isOpen() ? store.rows(id, period, first, end) : std::vector<StoredPeriod>();
    };
    return graphRows(book, stored, hostId, range, from, to);
}
