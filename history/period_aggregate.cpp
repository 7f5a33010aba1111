#include "history/period_aggregate.h"


namespace {

// The saved state: a version byte, the summary's fields in a fixed order,
// then the histogram's pairs. A new layout takes a new version; an unknown
// version is not read (the period then starts afresh).
constexpr char kStateVersion = 1;

void putI64(std::string& out, std::int64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF));
}

std::int64_t getI64(const std::string& in, std::size_t at) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return static_cast<std::int64_t>(v);
}

constexpr std::size_t kSummaryFields = 9;
constexpr std::size_t kHeaderBytes = 1 + 8 * kSummaryFields;

}  // namespace

void PeriodAggregate::addAnswered(int ms) {
    summary_.addAnswered(ms);
    histogram_.add(ms);
}

void PeriodAggregate::addLost() { summary_.addLost(); }

void PeriodAggregate::append(const PeriodAggregate& later) {
    summary_.append(later.summary_);
    histogram_.merge(later.histogram_);
}

std::optional<int> PeriodAggregate::percentile(int percent) const {
    if (!summary_.answered()) return std::nullopt;
    return histogram_.percentile(percent, *summary_.min(), *summary_.max());
}

PeriodFigures PeriodAggregate::figures() const {
    PeriodFigures f;
    f.sent = summary_.sent();
    f.lost = summary_.lost();
    f.min = summary_.min();
    f.avg = summary_.average();
    f.max = summary_.max();
    f.p50 = percentile(50);
    f.p90 = percentile(90);
    f.jitter = summary_.jitter();
    return f;
}

std::string PeriodAggregate::save() const {
    const LatencySummary::State s = summary_.state();
    std::string out(1, kStateVersion);
    for (std::int64_t v : {s.sent, s.lost, s.sum, s.jitterSum, s.jitterSteps,
                           std::int64_t{s.min}, std::int64_t{s.max}, std::int64_t{s.first},
                           std::int64_t{s.last}})
        putI64(out, v);
    return out + histogram_.encode();
}

bool PeriodAggregate::restore(const std::string& bytes) {
    if (bytes.size() < kHeaderBytes || bytes[0] != kStateVersion) return false;
    LatencyHistogram histogram;
    if (!histogram.decode(bytes.substr(kHeaderBytes))) return false;
    std::int64_t v[kSummaryFields];
    for (std::size_t i = 0; i < kSummaryFields; ++i) v[i] = getI64(bytes, 1 + 8 * i);
    LatencySummary::State s;
    s.sent = v[0], s.lost = v[1], s.sum = v[2], s.jitterSum = v[3], s.jitterSteps = v[4];
    s.min = static_cast<int>(v[5]), s.max = static_cast<int>(v[6]);
    s.first = static_cast<int>(v[7]), s.last = static_cast<int>(v[8]);
    if (s.lost < 0 || s.lost > s.sent || histogram.total() != static_cast<std::uint64_t>(s.sent - s.lost))
        return false;
    summary_ = LatencySummary::fromState(s);
    histogram_ = histogram;
    return true;
}
