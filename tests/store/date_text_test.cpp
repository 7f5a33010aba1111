#include <gtest/gtest.h>

#include "runtime/datetime.h"
#include "store/date_text.h"

namespace {

DateTime at(int y, int mo, int d, int h, int mi, int s) {
    return dateTimeFromCivil(CivilTime{y, mo, d, h, mi, s});
}

TEST(FormatDateTime, FixedWidthFieldsInBothForms) {
    struct Case {
        DateTime value;
        DateTextForm form;
        const char* expected;
    } cases[] = {
        {at(2016, 12, 23, 9, 5, 7), DateTextForm::full, "2016-12-23 09:05:07"},
        {at(2016, 12, 23, 9, 5, 7), DateTextForm::dateOnly, "2016-12-23"},
        {at(2017, 1, 3, 9, 5, 7), DateTextForm::full, "2017-01-03 09:05:07"},
        {at(2017, 1, 3, 23, 59, 59), DateTextForm::full, "2017-01-03 23:59:59"},
        {at(100, 1, 1, 0, 0, 0), DateTextForm::full, "100-01-01 00:00:00"},
        {at(9999, 12, 31, 0, 0, 0), DateTextForm::dateOnly, "9999-12-31"},
        {DateTime{0.0}, DateTextForm::full, "1899-12-30 00:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.value, c.form), Text(c.expected));
}

TEST(FormatDateTime, FullTextsSortLikeTheirDateTimes) {
    const DateTime ordered[] = {at(2016, 9, 30, 23, 59, 59), at(2016, 10, 1, 0, 0, 0),
                                at(2016, 10, 1, 9, 0, 0), at(2016, 10, 1, 10, 0, 0)};
    for (int i = 0; i + 1 < 4; ++i)
        EXPECT_LT(FormatDateTime(ordered[i]), FormatDateTime(ordered[i + 1]));
}

TEST(FormatDateTime, WithoutArgumentGivesTheCurrentTimeInFullForm) {
    const DateTime before = now();
    const Text text = FormatDateTime();
    const DateTime after = now();
    EXPECT_EQ(text.size(), 19u);
    EXPECT_FALSE(text < FormatDateTime(before));
    EXPECT_FALSE(FormatDateTime(after) < text);
}

}  // namespace
