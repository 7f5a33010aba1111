// Chinese literals in the sources must become GBK bytes in both builds.
#include <gtest/gtest.h>

#include <string>

#include "runtime/text.h"

namespace {

std::string hex(const Text& t) {
    std::string out;
    char b[4];
    for (size_t i = 0; i < t.size(); ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", t.at(i));
        out += b;
    }
    return out;
}

TEST(TextLiterals, ChineseLiteralsAreGbkBytes) {
    EXPECT_EQ(hex("网络可通"), "CD F8 C2 E7 BF C9 CD A8");
    EXPECT_EQ(hex("Qerno网络检测"), "51 65 72 6E 6F CD F8 C2 E7 BC EC B2 E2");
}

TEST(TextValue, EmptyAndAbsentAreTheSameAndStopAtZero) {
    EXPECT_EQ(Text(nullptr), Text(""));
    EXPECT_EQ(Text(std::string("ab\0cd", 5)), Text("ab"));
    EXPECT_EQ(Text("ab\0cd", 5).size(), 2u);
}

}  // namespace
