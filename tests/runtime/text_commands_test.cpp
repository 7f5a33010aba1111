// Text commands: byte positions, GBK character boundaries, full-width spaces.
#include <gtest/gtest.h>

#include "runtime/text_commands.h"

namespace {

struct FindCase {
    const char* text;
    const char* sought;
    int start;
    bool ignoreCase;
    int expected;
};

TEST(FindText, Table) {
    const FindCase cases[] = {
        {"hello world", "o", 1, false, 5},
        {"hello world", "o", 6, false, 8},
        {"hello world", "o", 0, false, 5},     // start below 1 counts as 1
        {"hello world", "o", -7, false, 5},
        {"hello world", "o", 12, false, -1},   // beyond the end
        {"hello world", "xyz", 1, false, -1},
        {"hello", "", 1, false, 1},            // empty sought, non-empty part
        {"hello", "", 5, false, 1},
        {"hello", "", 6, false, -1},           // searched part is empty
        {"", "", 1, false, -1},
        {"", "a", 1, false, -1},
        {"Hello", "hELLO", 1, true, 1},
        {"Hello", "hELLO", 1, false, -1},
        // "网络" is CD F8 C2 E7: the bytes F8 C2 straddle two characters and
        // must not match a text whose characters are F8 C2.
        {"网络", "\xF8\xC2", 1, false, -1},
        {"网络", "络", 1, false, 3},
        {"a网络b", "b", 1, false, 6},
        // A sought ASCII byte equal to a trail byte is not found inside a character
        // ("\xB0\x40" is a GBK character whose trail byte is '@').
        {"\xB0\x40@", "@", 1, false, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findText(c.text, c.sought, c.start, c.ignoreCase), c.expected)
            << "text=" << c.text << " sought=" << c.sought << " start=" << c.start;
    }
}

TEST(MidText, Table) {
    EXPECT_EQ(midText("abcdef", 2, 3), Text("bcd"));
    EXPECT_EQ(midText("abcdef", 5, 10), Text("ef"));
    EXPECT_EQ(midText("abcdef", 0, 3), Text());
    EXPECT_EQ(midText("abcdef", 7, 1), Text());
    EXPECT_EQ(midText("abcdef", 1, 0), Text());
    EXPECT_EQ(midText("abcdef", 1, -2), Text());
    EXPECT_EQ(midText("网络", 3, 2), Text("络"));
}

TEST(SpacesAndRepeats, Table) {
    EXPECT_EQ(trimRight("ab  \xA1\xA1 \xA1\xA1"), Text("ab"));
    EXPECT_EQ(trimRight("  ab"), Text("  ab"));
    EXPECT_EQ(trimRight("   "), Text());
    EXPECT_EQ(removeSpaces(" a \xA1\xA1" "b 网 络 "), Text("ab网络"));
    EXPECT_EQ(spaces(3), Text("   "));
    EXPECT_EQ(spaces(0), Text());
    EXPECT_EQ(spaces(-1), Text());
    EXPECT_EQ(repeatText(3, "ab"), Text("ababab"));
    EXPECT_EQ(repeatText(-2, "ab"), Text());
    EXPECT_EQ(charFromCode('A'), Text("A"));
    EXPECT_EQ(charFromCode(0), Text());
    EXPECT_EQ(textLength("Qerno网络检测"), 13);
    EXPECT_EQ(textLength(""), 0);
}

TEST(FoldHalfWidth, FullWidthRowSpaceTildeAndStar) {
    // １２ (A3 B1 A3 B2), full-width space, ～ (A1 AB), ※-like stars A1 EE / A1 EF.
    EXPECT_EQ(foldHalfWidth("\xA3\xB1\xA3\xB2\xA1\xA1\xA1\xAB\xA1\xEE\xA1\xEF"), Text("12 ~**"));
    EXPECT_EQ(foldHalfWidth("网络"), Text("网络"));
    EXPECT_EQ(foldHalfWidth("\xA3\xC1z"), Text("Az"));
}

}  // namespace
