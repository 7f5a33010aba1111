// Conversions with the exact text forms that reach the screen and database.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "runtime/convert.h"
#include "runtime/datetime.h"

namespace {

TEST(ToText, NumbersAndBools) {
    EXPECT_EQ(toText(-42), Text("-42"));
    EXPECT_EQ(toText(std::int16_t{-7}), Text("-7"));
    EXPECT_EQ(toText(std::uint8_t{200}), Text("200"));
    EXPECT_EQ(toText(std::int64_t{-9000000000LL}), Text("-9000000000"));
    EXPECT_EQ(toText(1.5f), Text("1.5"));
    EXPECT_EQ(toText(1.0f / 3.0f), Text("0.333333"));
    EXPECT_EQ(toText(173.0), Text("173"));
    EXPECT_EQ(toText(2.0 / 3.0), Text("0.6666666666667"));
    EXPECT_EQ(toText(1e20), Text("1e+20"));
    EXPECT_EQ(toText(true), Text("真"));
    EXPECT_EQ(toText(false), Text("假"));
    EXPECT_EQ(toText(ByteSet{'a', 'b', 0, 'c'}), Text("ab"));
}

TEST(ToText, DateTimeWritesOnlyTheSmallestNonZeroPart) {
    struct Case { CivilTime civil; const char* expected; };
    const Case cases[] = {
        {{2016, 12, 23, 13, 5, 9}, "2016年12月23日13时5分9秒"},
        {{2016, 12, 23, 13, 5, 0}, "2016年12月23日13时5分"},
        {{2016, 12, 23, 13, 0, 0}, "2016年12月23日13时"},
        {{2016, 12, 23, 0, 0, 0}, "2016年12月23日"},
        {{2016, 1, 5, 0, 0, 7}, "2016年1月5日0时0分7秒"},
        {{100, 1, 1, 0, 0, 0}, "100年1月1日"},
        {{1899, 12, 29, 6, 0, 0}, "1899年12月29日6时"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toText(dateTimeFromCivil(c.civil)), Text(c.expected)) << c.expected;
}

TEST(ToInt, TextsAndNumbers) {
    struct Case { const char* text; int expected; };
    const Case cases[] = {
        {"123", 123}, {"  -45xyz", -45}, {"+7", 7}, {"abc", 0}, {"", 0},
        {"\xA3\xB1\xA3\xB2", 12},        // full-width digits
        {"\xA3\xAD\xA3\xB5", -5},        // full-width minus and 5
        {"1-2", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(toInt(Text(c.text)), c.expected) << c.text;
    EXPECT_EQ(toInt(-3.99), -3);
    EXPECT_EQ(toInt(3.99f), 3);
    EXPECT_EQ(toInt(std::int64_t{0x100000005LL}), 5);
    EXPECT_EQ(toInt(std::uint8_t{255}), 255);
    EXPECT_EQ(toInt(std::int16_t{-2}), -2);
    EXPECT_EQ(toInt(true), 1);
    EXPECT_EQ(toInt(SubPointer{0x401000}), 0x401000);
}

TEST(ToNumber, TextsAndValues) {
    EXPECT_DOUBLE_EQ(toNumber(Text("3.25abc")), 3.25);
    EXPECT_DOUBLE_EQ(toNumber(Text("\xA3\xB1\xA3\xAE\xA3\xB5")), 1.5);  // １．５
    EXPECT_DOUBLE_EQ(toNumber(Text("x")), 0.0);
    EXPECT_DOUBLE_EQ(toNumber(SubPointer{0xFFFFFFF0u}), 4294967280.0);
    EXPECT_DOUBLE_EQ(toNumber(true), 1.0);
}

TEST(ToDateTime, ParsesTheAcceptedFormsAndRejectsTheRest) {
    struct Case { const char* text; CivilTime expected; };
    const Case good[] = {
        {"2016-12-23 0:0:0", {2016, 12, 23, 0, 0, 0}},
        {"2016-12-23 23:59:59", {2016, 12, 23, 23, 59, 59}},
        {"2016/1/5", {2016, 1, 5, 0, 0, 0}},
        {"2016年12月23日", {2016, 12, 23, 0, 0, 0}},
        {"2016年12月23日13时5分9秒", {2016, 12, 23, 13, 5, 9}},
        {"2000-02-29", {2000, 2, 29, 0, 0, 0}},
        {"2016.3.4", {2016, 3, 4, 0, 0, 0}},
        {"\xA3\xB2\xA3\xB0\xA3\xB1\xA3\xB6-1-2", {2016, 1, 2, 0, 0, 0}},  // full-width year
    };
    for (const auto& c : good) {
        DateTime d = toDateTime(Text(c.text));
        EXPECT_EQ(d, dateTimeFromCivil(c.expected)) << c.text;
    }
    const DateTime invalid = dateTimeFromCivil({100, 1, 1, 0, 0, 0});
    const char* bad[] = {"2016-02-30", "99-01-01", "12:30:00", "", "1900-02-29",
                         "2016-13-01", "2016-12-23 24:00:00", "2016-12-23 0:60", "2016-12-23x",
                         "2016-12-23 1:2:3 "};
    for (const char* b : bad) EXPECT_EQ(toDateTime(Text(b)), invalid) << b;
    EXPECT_EQ(toDateTime(DateTime{42.5}), DateTime{42.5});
}

TEST(ToByteSet, LittleEndianSizesPerType) {
    EXPECT_EQ(toByteSet(Text("ab")), (ByteSet{'a', 'b'}));
    EXPECT_EQ(toByteSet(std::uint8_t{7}), (ByteSet{7}));
    EXPECT_EQ(toByteSet(std::int16_t{0x0102}), (ByteSet{2, 1}));
    EXPECT_EQ(toByteSet(0x01020304), (ByteSet{4, 3, 2, 1}));
    EXPECT_EQ(toByteSet(true), (ByteSet{1, 0, 0, 0}));
    EXPECT_EQ(toByteSet(std::int64_t{1}).size(), 8u);
    EXPECT_EQ(toByteSet(1.0).size(), 8u);
    EXPECT_EQ(toByteSet(DateTime{1.0}), toByteSet(1.0));
    EXPECT_EQ(toByteSet(1.0f), (ByteSet{0, 0, 0x80, 0x3F}));
}

}  // namespace
