#include "report/report_figures.h"

#include <algorithm>
#include <map>

#include "history/history_periods.h"

namespace {

// The history rows a host's figures are made of. Minute rows are kept for
// 2 days, 10-minute rows for 60, hour rows for 2 years, and each kind
// covers the same cycles again: a coarser row counts only where it ends
// before the first finer row, so no cycle is counted twice.
std::vector<const ReportPeriod*> usedPeriods(const std::vector<const ReportPeriod*>& rows) {
    std::vector<const ReportPeriod*> used;
    LocalSeconds firstFiner = INT64_MAX;
    for (int period : kPeriods) {
        LocalSeconds firstOfKind = INT64_MAX;
        for (const ReportPeriod* p : rows) {
            if (p->period != period || p->start + period > firstFiner) continue;
            used.push_back(p);
            firstOfKind = std::min(firstOfKind, p->start);
        }
        firstFiner = std::min(firstFiner, firstOfKind);
    }
    return used;
}

// What the history tells of one day.
struct DayHistory {
    std::int64_t sent = 0, lost = 0;
    LocalSeconds covered = 0;
};

LocalSeconds overlap(LocalSeconds a0, LocalSeconds a1, LocalSeconds b0, LocalSeconds b1) {
    return std::max<LocalSeconds>(0, std::min(a1, b1) - std::max(a0, b0));
}

// The rows of the host touching the range, cut to it (and to now).
std::vector<ReportOutage> cutOutages(const ReportRequest& r, const std::vector<ReportOutageRow>& rows) {
    const LocalSeconds knownEnd = std::min(r.to, r.now);
    std::vector<ReportOutage> out;
    for (const ReportOutageRow& row : rows) {
        const LocalSeconds end = row.end ? *row.end : r.now;
        if (row.start >= r.to || end <= r.from || row.start >= knownEnd) continue;
        ReportOutage o;
        o.hostId = row.hostId;
        o.name = row.name;
        o.address = row.address;
        o.kind = row.kind;
        o.worst = row.worst;
        o.startsBefore = row.start < r.from;
        o.lasting = !row.end;
        o.endsAfter = end > r.to;
        o.start = std::max(row.start, r.from);
        o.end = std::min(end, knownEnd);
        out.push_back(o);
    }
    return out;
}

class HostReport {
public:
    HostReport(const ReportRequest& r, const ReportHost& host) : r_(r) { f_.host = host; }

    HostFigures make(const std::vector<const ReportPeriod*>& rows, const std::vector<ReportOutage>& outages) {
        addOutages(outages);
        addHistory(usedPeriods(rows));
        makeDays(outages);
        sumDays();
        return f_;
    }

private:
    void addOutages(const std::vector<ReportOutage>& outages) {
        for (const ReportOutage& o : outages) {
            if (o.worst > 0) f_.worstMs = std::max(f_.worstMs.value_or(0), o.worst);
            if (o.kind != kOutageDown) {
                ++f_.highLatency;
                continue;
            }
            ++f_.outages;
            f_.downtime += o.duration();
            f_.longest = std::max(f_.longest, o.duration());
        }
    }

    void addHistory(const std::vector<const ReportPeriod*>& used) {
        std::int64_t answeredSum = 0, answered = 0;
        for (const ReportPeriod* p : used) {
            if (p->start < r_.from || p->start >= end() || p->sent <= 0) continue;
            f_.sent += p->sent;
            f_.lost += p->lost;
            DayHistory& d = history_[dayStart(p->start)];
            d.sent += p->sent;
            d.lost += p->lost;
            d.covered += std::min<LocalSeconds>(p->period, end() - p->start);
            if (p->avg) {
                answeredSum += static_cast<std::int64_t>(*p->avg) * (p->sent - p->lost);
                answered += p->sent - p->lost;
            }
            if (p->max) f_.worstMs = std::max(f_.worstMs.value_or(0), *p->max);
        }
        if (f_.sent == 0) return;
        f_.history = true;
        f_.loss = static_cast<double>(f_.lost) / static_cast<double>(f_.sent);
        if (answered > 0) f_.averageMs = static_cast<int>((answeredSum + answered / 2) / answered);
    }

    // A day without history counts from the outage rows when the host has
    // no history in the range at all, or when an outage shows it was
    // watched that day; otherwise nothing is known of it.
    void makeDays(const std::vector<ReportOutage>& outages) {
        for (LocalSeconds day = dayStart(r_.from); day < end(); day += kSecondsPerDay) {
            ReportDay d;
            d.start = std::max(day, r_.from);
            d.end = std::min(day + kSecondsPerDay, end());
            for (const ReportOutage& o : outages)
                if (o.kind == kOutageDown) d.downtime += overlap(o.start, o.end, d.start, d.end);
            const auto h = history_.find(day);
            if (h != history_.end()) {
                d.fromHistory = true;
                d.availability = static_cast<double>(h->second.sent - h->second.lost) / h->second.sent;
                watched_.push_back(std::min(h->second.covered, d.end - d.start));
            } else if ((!f_.history && !outages.empty()) || d.downtime > 0) {
                f_.estimated = true;
                d.availability = 1.0 - static_cast<double>(d.downtime) / static_cast<double>(d.end - d.start);
                watched_.push_back(d.end - d.start);
            } else {
                watched_.push_back(0);
            }
            f_.days.push_back(d);
        }
    }

    void sumDays() {
        double weighted = 0, watched = 0;
        LocalSeconds covered = 0;
        for (std::size_t i = 0; i < f_.days.size(); ++i) {
            const ReportDay& d = f_.days[i];
            if (!d.availability) continue;
            weighted += *d.availability * static_cast<double>(watched_[i]);
            watched += static_cast<double>(watched_[i]);
            if (d.fromHistory) covered += watched_[i];
        }
        if (watched > 0) f_.availability = weighted / watched;
        if (f_.history && end() > r_.from)
            f_.coverage = static_cast<double>(covered) / static_cast<double>(end() - r_.from);
    }

    // Nothing is known past the moment the report is made.
    LocalSeconds end() const { return std::min(r_.to, r_.now); }

    const ReportRequest& r_;
    HostFigures f_;
    std::map<LocalSeconds, DayHistory> history_;  // by the day's start
    std::vector<LocalSeconds> watched_;           // per day: the time availability stands for
};

}  // namespace

LocalSeconds dayStart(LocalSeconds t) { return periodStart(t, static_cast<int>(kSecondsPerDay)); }

bool ReportFigures::hasData() const {
    if (!outageList.empty()) return true;
    for (const HostFigures& h : hosts)
        if (h.history) return true;
    return false;
}

ReportFigures computeReport(const ReportRequest& request, const ReportInput& input) {
    ReportFigures report;
    report.from = request.from;
    report.to = request.to;
    report.made = request.now;
    std::map<std::int32_t, std::vector<const ReportPeriod*>> periods;
    for (const ReportPeriod& p : input.periods) periods[p.hostId].push_back(&p);
    for (const ReportHost& host : request.hosts) {
        std::vector<ReportOutageRow> rows;
        for (const ReportOutageRow& row : input.outages)
            if (row.hostId == host.id) rows.push_back(row);
        const std::vector<ReportOutage> outages = cutOutages(request, rows);
        report.hosts.push_back(HostReport(request, host).make(periods[host.id], outages));
        report.outageList.insert(report.outageList.end(), outages.begin(), outages.end());
    }
    std::stable_sort(report.outageList.begin(), report.outageList.end(),
                     [](const ReportOutage& a, const ReportOutage& b) { return a.start > b.start; });
    return report;
}
