// OLE dates: known serial numbers, field extraction, now() in whole seconds.
#include <gtest/gtest.h>

#include <cmath>

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
