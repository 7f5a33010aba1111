#include "report/report_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

// u8 literals throughout: the build turns plain literals into the
// program's code page, and these texts go into UTF-8 files.
const char* const kUnknownFigure = u8"—";

namespace {

constexpr double kHundredths = 10000.0;  // a share in hundredths of a percent

std::string hundredthsText(double hundredths) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f%%", hundredths / 100.0);
    return text;
}

}  // namespace

std::string availabilityText(const std::optional<double>& share) {
    if (!share) return kUnknownFigure;
    // The small margin keeps 0.9999 (stored as 0.99989999...) at 99.99%.
    return hundredthsText(std::floor(*share * kHundredths + 1e-6));
}

std::string lossText(const std::optional<double>& share) {
    if (!share) return kUnknownFigure;
    return hundredthsText(std::max(0.0, std::ceil(*share * kHundredths - 1e-6)));  // no "-0.00%"
}

std::string durationText(LocalSeconds seconds) {
    if (seconds <= 0) return u8"0 秒";
    const std::int64_t parts[] = {seconds / 86400, seconds / 3600 % 24, seconds / 60 % 60, seconds % 60};
    const char* const units[] = {u8" 天", u8" 小时", u8" 分", u8" 秒"};
    std::string out;
    for (std::size_t i = 0; i < 4; ++i) {
        if (out.empty() && parts[i] == 0) continue;
        if (!out.empty()) out += ' ';
        out += std::to_string(parts[i]) + units[i];
    }
    return out;
}

std::string latencyText(const std::optional<int>& ms) {
    return ms ? std::to_string(*ms) + " ms" : std::string(kUnknownFigure);
}

std::string dateTimeText(LocalSeconds t) { return utcText(t); }

std::string outageKindText(int kind) { return kind == kOutageHighLatency ? u8"延迟过高" : u8"中断"; }
