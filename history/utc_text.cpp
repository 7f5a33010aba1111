#include "history/utc_text.h"

#include <cstdio>
#include <ctime>

#include "runtime/datetime.h"

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::size_t kUtcTextLength = 19;

// Days since 1970-01-01 of a proleptic Gregorian date, and back
// (H. Hinnant's "chrono-compatible low-level date algorithms").
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0); }

}  // namespace

std::string utcText(UtcSeconds seconds) {
    const std::int64_t days = floorDiv(seconds, kSecondsPerDay);
    const std::int64_t rest = seconds - days * kSecondsPerDay;
    std::int64_t y;
    int m, d;
    civilFromDays(days, y, m, d);
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d", static_cast<long long>(y), m, d,
                  static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
    return text;
}

std::optional<UtcSeconds> utcFromText(const std::string& text) {
    // "yyyy-MM-dd HH:mm:ss" digit by digit: every history row read goes
    // through here, and sscanf was a good part of reading a long range.
    if (text.size() != kUtcTextLength || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    bool digits = true;
    auto number = [&](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            const char c = text[i];
            digits = digits && c >= '0' && c <= '9';
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const int y = number(0, 4), m = number(5, 2), d = number(8, 2), hh = number(11, 2), mm = number(14, 2),
              ss = number(17, 2);
    if (!digits) return std::nullopt;
    if (m < 1 || m > 12 || d < 1 || d > 31 || hh > 23 || mm > 59 || ss > 59 || hh < 0 || mm < 0 || ss < 0)
        return std::nullopt;
    const std::int64_t days = daysFromCivil(y, m, d);
    std::int64_t cy;
    int cm, cd;
    civilFromDays(days, cy, cm, cd);
    if (cm != m || cd != d) return std::nullopt;  // 2023-02-30 and the like
    return days * kSecondsPerDay + hh * 3600 + mm * 60 + ss;
}

UtcSeconds utcNow() { return static_cast<UtcSeconds>(clockSeconds()); }
