#include "runtime/datetime.h"

#include <cmath>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's
// days_from_civil), valid for every year the runtime accepts (100..9999).
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153L * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long z, int& y, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr long kOleEpochFromUnix = -25569;  // 1899-12-30 in days from 1970-01-01

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

bool isValidCivil(const CivilTime& c) {
    if (c.year < 100 || c.year > 9999 || c.month < 1 || c.month > 12) return false;
    if (c.day < 1 || c.day > daysInMonth(c.year, c.month)) return false;
    return c.hour >= 0 && c.hour <= 23 && c.minute >= 0 && c.minute <= 59 && c.second >= 0 &&
           c.second <= 59;
}

DateTime dateTimeFromCivil(const CivilTime& c) {
    double days = static_cast<double>(daysFromCivil(c.year, c.month, c.day) - kOleEpochFromUnix);
    double fraction = (c.hour * 3600 + c.minute * 60 + c.second) / 86400.0;
    // OLE dates before 1899-12-30 keep the time of day as a positive fraction
    // after the minus sign: -1.25 is 1899-12-29 06:00.
    return DateTime{days >= 0 ? days + fraction : days - fraction};
}

CivilTime civilFromDateTime(DateTime value) {
    double v = value.value;
    double dayPart = std::trunc(v);
    double fraction = std::fabs(v - dayPart);
    long seconds = std::lround(fraction * 86400.0);
    long days = static_cast<long>(dayPart);
    if (seconds >= 86400) {  // rounding carried into the next day
        seconds -= 86400;
        days += v >= 0 ? 1 : -1;
    }
    CivilTime c;
    civilFromDays(days + kOleEpochFromUnix, c.year, c.month, c.day);
    c.hour = static_cast<int>(seconds / 3600);
    c.minute = static_cast<int>(seconds / 60 % 60);
    c.second = static_cast<int>(seconds % 60);
    return c;
}

std::time_t clockSeconds() {
#ifdef _WIN32
    // 100-ns intervals since 1601-01-01, the Unix epoch 11,644,473,600 s later.
    constexpr ULONGLONG kIntervalsPerSecond = 10000000;
    constexpr ULONGLONG kUnixEpochSeconds = 11644473600ULL;
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const ULONGLONG intervals = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<std::time_t>(intervals / kIntervalsPerSecond - kUnixEpochSeconds);
#else
    return std::time(nullptr);
#endif
}

// Within one second the local time is the same: each thread converts the
// clock once a second at most. The alerts ask for the time on every status
// report, and under Wine each conversion checked the zone file and asked
// the server; with many hosts that was a good part of the idle window's
// work.
DateTime now() {
    thread_local std::time_t convertedAt = -1;
    thread_local DateTime converted{};
    const std::time_t t = clockSeconds();
    if (t != convertedAt) {
        converted = localDateTime(t);
        convertedAt = t;
    }
    return converted;
}

DateTime localDateTime(std::time_t t) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    CivilTime c{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec};
    return dateTimeFromCivil(c);
}

int yearOf(DateTime v) { return civilFromDateTime(v).year; }
int monthOf(DateTime v) { return civilFromDateTime(v).month; }
int dayOf(DateTime v) { return civilFromDateTime(v).day; }
int hourOf(DateTime v) { return civilFromDateTime(v).hour; }
int minuteOf(DateTime v) { return civilFromDateTime(v).minute; }
int secondOf(DateTime v) { return civilFromDateTime(v).second; }
