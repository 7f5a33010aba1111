#include "history/graph_data.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Round figures for a linear axis: 1, 2 and 5 times a power of ten.
constexpr int kNiceSteps[] = {1, 2, 5};
constexpr int kLinearTicks = 5;  // about this many labels on a linear axis
constexpr int kLowestTop = 10;   // a linear axis reaches at least 10 ms
constexpr int kDecade = 10;

int niceStepAtLeast(int wanted) {
    for (int power = 1;; power *= kDecade)
        for (int step : kNiceSteps)
            if (step * power >= wanted) return step * power;
}

int decadeAtOrBelow(int ms) {
    int d = 1;
    while (d * kDecade <= ms) d *= kDecade;
    return d;
}

int decadeAtOrAbove(int ms) {
    int d = 1;
    while (d < ms) d *= kDecade;
    return d;
}

// The answered-weighted median of (median, answered) pairs.
int weightedMedian(std::vector<std::pair<int, std::int64_t>>& values, std::int64_t answered) {
    std::sort(values.begin(), values.end());
    std::int64_t seen = 0;
    for (const auto& [ms, weight] : values) {
        seen += weight;
        if (seen * 2 >= answered) return ms;
    }
    return values.empty() ? -1 : values.back().first;
}

void appendNumber(std::string& out, const std::optional<int>& value) {
    out += ',';
    if (value) out += std::to_string(*value);
}

}  // namespace

GraphSample sampleOf(const RecentCycle& cycle) {
    GraphSample s;
    s.start = cycle.time;
    s.seconds = 1;
    s.figures.sent = 1;
    s.figures.lost = cycle.answered ? 0 : 1;
    if (cycle.answered) {
        const int ms = cycle.latencyMs;
        s.figures.min = s.figures.avg = s.figures.max = s.figures.p50 = s.figures.p90 = ms;
    }
    return s;
}

std::vector<GraphColumn> buildColumns(const std::vector<GraphSample>& samples, UtcSeconds from, UtcSeconds to,
                                      int width) {
    std::vector<GraphColumn> columns(static_cast<std::size_t>(std::max(width, 0)));
    if (columns.empty() || to <= from) return columns;
    const UtcSeconds span = to - from;
    std::vector<std::vector<std::pair<int, std::int64_t>>> medians(columns.size());
    UtcSeconds first = to;
    for (const GraphSample& s : samples) {
        if (s.start < from || s.start >= to) continue;
        first = std::min(first, s.start);
        const auto i = static_cast<std::size_t>((s.start - from) * width / span);
        GraphColumn& c = columns[i];
        c.sent += s.figures.sent;
        c.lost += s.figures.lost;
        if (!s.figures.min) continue;
        c.min = c.min < 0 ? *s.figures.min : std::min(c.min, *s.figures.min);
        c.max = std::max(c.max, s.figures.max.value_or(*s.figures.min));
        medians[i].push_back({s.figures.p50.value_or(*s.figures.min), s.figures.sent - s.figures.lost});
    }
    // Columns are known from the one holding the first row on (by index:
    // with more pixels than seconds some columns hold no second at all).
    const UtcSeconds firstColumn = first < to ? (first - from) * width / span : width;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        GraphColumn& c = columns[i];
        c.known = static_cast<UtcSeconds>(i) >= firstColumn;
        if (!medians[i].empty()) c.median = weightedMedian(medians[i], c.sent - c.lost);
    }
    return columns;
}

double GraphScale::position(int ms) const {
    if (high <= low) return 0;
    double p = 0;
    if (logarithmic) {
        p = (std::log10(std::max(ms, 1)) - std::log10(low)) / (std::log10(high) - std::log10(low));
    } else {
        p = static_cast<double>(ms - low) / (high - low);
    }
    return std::clamp(p, 0.0, 1.0);
}

std::vector<int> GraphScale::ticks() const {
    std::vector<int> out;
    if (logarithmic) {
        for (int d = low; d <= high; d *= kDecade) out.push_back(d);
        return out;
    }
    const int step = niceStepAtLeast((high - low + kLinearTicks - 1) / kLinearTicks);
    for (int v = low; v <= high; v += step) out.push_back(v);
    return out;
}

GraphScale chooseScale(const std::vector<GraphColumn>& columns) {
    int lowest = -1, highest = -1;
    for (const GraphColumn& c : columns) {
        if (c.min < 0) continue;
        lowest = lowest < 0 ? c.min : std::min(lowest, c.min);
        highest = std::max(highest, c.max);
    }
    GraphScale scale;
    if (highest <= 0) return scale;  // nothing answered: 0..10 ms, linear
    if (highest >= static_cast<std::int64_t>(std::max(lowest, 1)) * kLogSpread) {
        scale.logarithmic = true;
        scale.low = decadeAtOrBelow(std::max(lowest, 1));
        scale.high = decadeAtOrAbove(highest);
        return scale;
    }
    const int step = niceStepAtLeast((std::max(highest, kLowestTop) + kLinearTicks - 1) / kLinearTicks);
    scale.high = (std::max(highest, kLowestTop) + step - 1) / step * step;
    return scale;
}

std::string graphCsv(const std::vector<GraphSample>& samples,
                     const std::function<std::string(UtcSeconds)>& localTime) {
    std::string out = u8"\uFEFF时间,发送,丢失,最小,平均,最大,中位数,P90,抖动\r\n";
    for (const GraphSample& s : samples) {
        const PeriodFigures& f = s.figures;
        out += localTime(s.start);
        out += ',' + std::to_string(f.sent) + ',' + std::to_string(f.lost);
        for (const auto* v : {&f.min, &f.avg, &f.max, &f.p50, &f.p90, &f.jitter}) appendNumber(out, *v);
        out += "\r\n";
    }
    return out;
}
