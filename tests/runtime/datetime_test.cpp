// OLE dates: known serial numbers, field extraction, now() in whole seconds.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

#include "runtime/datetime.h"

namespace {

TEST(DateTimeValue, KnownOleSerials) {
    struct Case { CivilTime civil; double serial; };
    const Case cases[] = {
        {{1899, 12, 30, 0, 0, 0}, 0.0},
        {{1899, 12, 31, 0, 0, 0}, 1.0},
        {{1900, 1, 1, 0, 0, 0}, 2.0},
        {{1900, 3, 1, 0, 0, 0}, 61.0},
        {{2016, 12, 23, 0, 0, 0}, 42727.0},
        {{2016, 12, 23, 12, 0, 0}, 42727.5},
        {{1899, 12, 29, 6, 0, 0}, -1.25},   // the fraction follows the minus sign
        {{100, 1, 1, 0, 0, 0}, -657434.0},
        {{9999, 12, 31, 0, 0, 0}, 2958465.0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(dateTimeFromCivil(c.civil).value, c.serial) << c.serial;
        CivilTime back = civilFromDateTime(DateTime{c.serial});
        EXPECT_EQ(back.year, c.civil.year);
        EXPECT_EQ(back.month, c.civil.month);
        EXPECT_EQ(back.day, c.civil.day);
        EXPECT_EQ(back.hour, c.civil.hour);
    }
}

TEST(DateTimeValue, FieldsOfAFullDate) {
    DateTime d = dateTimeFromCivil({2024, 2, 29, 23, 59, 59});
    EXPECT_EQ(yearOf(d), 2024);
    EXPECT_EQ(monthOf(d), 2);
    EXPECT_EQ(dayOf(d), 29);
    EXPECT_EQ(hourOf(d), 23);
    EXPECT_EQ(minuteOf(d), 59);
    EXPECT_EQ(secondOf(d), 59);
}

TEST(DateTimeValue, ValidityRules) {
    EXPECT_TRUE(isValidCivil({2000, 2, 29, 0, 0, 0}));
    EXPECT_FALSE(isValidCivil({1900, 2, 29, 0, 0, 0}));
    EXPECT_TRUE(isValidCivil({2004, 2, 29, 0, 0, 0}));
    EXPECT_FALSE(isValidCivil({2023, 4, 31, 0, 0, 0}));
    EXPECT_FALSE(isValidCivil({99, 1, 1, 0, 0, 0}));
    EXPECT_FALSE(isValidCivil({10000, 1, 1, 0, 0, 0}));
}

TEST(DateTimeValue, NowIsWholeSecondsAndPlausible) {
    DateTime n = now();
    double seconds = n.value * 86400.0;
    EXPECT_NEAR(seconds, std::round(seconds), 1e-3);
    EXPECT_GE(yearOf(n), 2024);
    int t1 = tickCount();
    int t2 = tickCount();
    EXPECT_GE(static_cast<unsigned>(t2 - t1), 0u);
    EXPECT_LT(static_cast<unsigned>(t2 - t1), 1000u);
}

}  // namespace

// The local time of an instant follows the time zone in force: the zone is
// set for the test (TZ) and put back after it.
class LocalZone {
public:
    explicit LocalZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old, had_ = true;
        set(zone);
    }
    ~LocalZone() { set(had_ ? old_.c_str() : nullptr); }
    LocalZone(const LocalZone&) = delete;
    LocalZone& operator=(const LocalZone&) = delete;

private:
    static void set(const char* zone) {
#ifdef _WIN32
        _putenv_s("TZ", zone ? zone : "");
        _tzset();
#else
        if (zone) setenv("TZ", zone, 1);
        else unsetenv("TZ");
        tzset();
#endif
    }
    std::string old_;
    bool had_ = false;
};

TEST(DateTimeValue, LocalDateTimeOfAnInstantInItsZone) {
    constexpr std::time_t kInstant = 1700000000;  // 2023-11-14 22:13:20 UTC
    struct Case {
        const char* zone;
        CivilTime local;
    } cases[] = {
        {"UTC0", {2023, 11, 14, 22, 13, 20}},
        {"CST-8", {2023, 11, 15, 6, 13, 20}},  // eight hours east: the next day
        {"EST5", {2023, 11, 14, 17, 13, 20}},
    };
    for (const Case& c : cases) {
        LocalZone zone(c.zone);
        // In seconds, to the half second: 32-bit builds round doubles differently.
        EXPECT_NEAR(localDateTime(kInstant).value * 86400.0, dateTimeFromCivil(c.local).value * 86400.0, 0.5)
            << c.zone;
    }
    LocalZone zone("CST-8");
    // now() converts once a second: a zone set within the second shows from the next.
    for (const std::time_t set = clockSeconds(); clockSeconds() == set;)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::time_t t = std::time(nullptr);
    EXPECT_NEAR(static_cast<double>(clockSeconds()), static_cast<double>(t), 1.0) << "the clock is time()'s";
    EXPECT_NEAR(localDateTime(t).value * 86400.0, now().value * 86400.0, 1.0) << "now() is the clock's local time";
}
