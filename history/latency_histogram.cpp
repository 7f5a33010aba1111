#include "history/latency_histogram.h"

#include <algorithm>

namespace {

constexpr std::size_t kPairBytes = 6;  // uint16 bucket + uint32 count

void putLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t getLe(const std::string& in, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return value;
}

}  // namespace

void LatencyHistogram::add(int ms) {
    ++counts_[latencyBucketOf(ms)];
    ++total_;
}

void LatencyHistogram::merge(const LatencyHistogram& other) {
    for (std::size_t i = 0; i < counts_.size(); ++i) counts_[i] += other.counts_[i];
    total_ += other.total_;
}

int LatencyHistogram::percentile(int percent, int lowest, int highest) const {
    if (total_ == 0) return -1;
    // Nearest rank: the smallest value with at least percent% of the cycles
    // at or below it.
    const std::uint64_t rank =
        std::max<std::uint64_t>(1, (static_cast<std::uint64_t>(total_) * percent + 99) / 100);
    std::uint64_t seen = 0;
    std::size_t bucket = 0;
    for (; bucket < counts_.size(); ++bucket) {
        seen += counts_[bucket];
        if (seen >= rank) break;
    }
    const int value = latencyBucketValue(bucket);
    if (value < 0) return highest;
    return std::clamp(value, lowest, std::max(lowest, highest));
}

std::string LatencyHistogram::encode() const {
    std::string out;
    for (std::size_t i = 0; i < counts_.size(); ++i) {
        if (!counts_[i]) continue;
        putLe(out, static_cast<std::uint32_t>(i), 2);
        putLe(out, counts_[i], 4);
    }
    return out;
}

bool LatencyHistogram::decode(const std::string& bytes) {
    if (bytes.size() % kPairBytes) return false;
    LatencyHistogram read;
    for (std::size_t at = 0; at < bytes.size(); at += kPairBytes) {
        const std::uint32_t bucket = getLe(bytes, at, 2);
        if (bucket >= counts_.size()) return false;
        read.counts_[bucket] += getLe(bytes, at + 2, 4);
        read.total_ += getLe(bytes, at + 2, 4);
    }
    *this = read;
    return true;
}
