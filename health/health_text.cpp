#include "health/health_text.h"

#include <cmath>
#include <string>

namespace {

constexpr long kMinute = 60, kHour = 60 * kMinute, kDay = 24 * kHour;

struct Unit {
    long seconds;
    const char* name;
};
// Largest first; a duration shows the first unit it reaches and the next.
constexpr Unit kUnits[] = {{kDay, "天"}, {kHour, "小时"}, {kMinute, "分"}, {1, "秒"}};

// A GBK lead byte starts a two-byte character (0x81..0xFE); anything else
// (ASCII) is one byte.
bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

std::size_t characterLength(const Text& text, std::size_t at) {
    return isLeadByte(text.at(at)) && at + 1 < text.size() ? 2 : 1;
}

}  // namespace

Text FormatDuration(double seconds) {
    const long total = seconds > 0 ? std::lround(seconds) : 0;
    constexpr std::size_t kLast = sizeof kUnits / sizeof kUnits[0] - 1;
    std::size_t first = 0;
    while (first < kLast && total < kUnits[first].seconds) ++first;
    const long big = total / kUnits[first].seconds;
    Text out = Text(std::to_string(big)) + kUnits[first].name;
    if (first < kLast) {
        const long small = total % kUnits[first].seconds / kUnits[first + 1].seconds;
        if (small) out += Text(std::to_string(small)) + kUnits[first + 1].name;
    }
    return out;
}

std::size_t CharacterCount(const Text& text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at += characterLength(text, at)) ++count;
    return count;
}

Text CutToCharacters(const Text& text, std::size_t maxChars) {
    if (CharacterCount(text) <= maxChars) return text;
    if (maxChars == 0) return Text();
    std::size_t at = 0;
    for (std::size_t kept = 0; kept + 1 < maxChars; ++kept) at += characterLength(text, at);
    return Text(text.str().substr(0, at)) + "…";
}
