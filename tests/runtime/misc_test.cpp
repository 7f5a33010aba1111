// Bits, the random generator's bounds, where the program runs from.
#include <gtest/gtest.h>

#include "runtime/bits.h"
#include "runtime/random.h"
#include "runtime/system.h"
#include "runtime/text_commands.h"

namespace {

TEST(Bits, Table) {
    EXPECT_EQ(bitAnd({0xF0F0, 0x0FF0, 0x00FF}), 0x00F0);
    EXPECT_EQ(bitAnd({5}), 5);
    EXPECT_EQ(bitOr({1, 2, 8}), 11);
    EXPECT_EQ(shiftRight(-16, 2), -4);
    EXPECT_EQ(shiftRight(256, 33), 128);  // count & 31
    EXPECT_EQ(makeLong(0x12345, 0x7), 0x72345);
    EXPECT_EQ(makeWord(0x1FF, 0x2), 0x2FF);
}

TEST(Random, BoundsAreNormalised) {
    seedRandom(7u);
    for (int i = 0; i < 200; ++i) {
        int r = randomInt(10, 5);  // swapped bounds
        EXPECT_GE(r, 5);
        EXPECT_LE(r, 10);
        EXPECT_GE(randomInt(-5, -1), 0);  // negative bounds count as 0
        EXPECT_LE(randomInt(-5, -1), 0);
    }
    EXPECT_EQ(randomInt(9, 9), 9);
    seedRandom(123u);
    int a = randomInt();
    seedRandom(123u);
    EXPECT_EQ(randomInt(), a);
}

TEST(System, RunDirectoryAndExecutableName) {
    Text dir = runDirectory();
    Text name = executableName();
    EXPECT_FALSE(dir.empty());
    EXPECT_NE(findText(name, "runtime_tests"), -1) << name.c_str();
    EXPECT_NE(dir.c_str()[dir.size() - 1], '\\');
    EXPECT_NE(dir.c_str()[dir.size() - 1], '/');
}

}  // namespace
