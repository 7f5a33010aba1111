#include "report/local_clock.h"

#include <ctime>

namespace {

std::tm brokenDown(std::int64_t seconds, bool local) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm out{};
#ifdef _WIN32
    if (local)
        localtime_s(&out, &t);
    else
        gmtime_s(&out, &t);
#else
    if (local)
        localtime_r(&t, &out);
    else
        gmtime_r(&t, &out);
#endif
    return out;
}

// The fields of a broken-down time as seconds, read as UTC.
std::int64_t fieldsAsSeconds(const std::tm& tm) {
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return utcFromText(text).value_or(0);
}

}  // namespace

LocalClock machineLocalClock() {
    return {[](LocalSeconds local) -> UtcSeconds {
                std::tm tm = brokenDown(local, false);
                tm.tm_isdst = -1;  // whatever the zone says for that moment
                return static_cast<UtcSeconds>(std::mktime(&tm));
            },
            [](UtcSeconds utc) -> LocalSeconds { return fieldsAsSeconds(brokenDown(utc, true)); }};
}

LocalClock fixedOffsetClock(std::int64_t offset) {
    return {[offset](LocalSeconds local) { return local - offset; },
            [offset](UtcSeconds utc) { return utc + offset; }};
}
