#include "health/host_health.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A script of cycles, one second apart: 'a' answered at level 1, 'h'
// answered at level 3 (high), 'x' no answer. The trace shows each
// transition at the cycle it happened: U up, D down, R recovered, H high,
// N normal again, '.' nothing.
std::string trace(const char* script, HealthSettings s = {}) {
    HostHealth h;
    std::string out;
    double t = 0;
    for (const char* c = script; *c; ++c, ++t) {
        const bool answered = *c != 'x';
        const HealthChange ch = h.onCycle(answered, *c == 'h' ? 3 : 1, *c == 'h' ? 300 : 20, {t, {}}, s);
        out += ch.wentUp ? 'U' : ch.wentDown ? 'D' : ch.recovered ? 'R' : ch.wentHigh ? 'H' : ch.wentNormal ? 'N' : '.';
    }
    return out;
}

HealthSettings counts(int n, int m, int k) {
    HealthSettings s;
    s.downAfter = n, s.upAfter = m, s.highAfter = k;
    return s;
}

TEST(HostHealth, TransitionsFollowTheCounts) {
    struct Case {
        const char* script;
        HealthSettings settings;
        const char* expected;
        const char* why;
    } cases[] = {
        {"a", {}, "U", "one answer makes an unknown host up"},
        {"axxx", {}, "U..D", "down after N = 3 failures"},
        {"axxaxx", {}, "U.....", "an answer restarts the failure count"},
        {"xxx", {}, "..D", "a host that never answered goes down too"},
        {"axxxaa", {}, "U..D.R", "up again after M = 2 answers"},
        {"axxxaxa", {}, "U..D...", "a failure restarts the answer count"},
        {"ax", counts(1, 1, 10), "UD", "N = 1: the first failure"},
        {"axa", counts(1, 1, 10), "UDR", "M = 1: the first answer"},
        {"ahhh", counts(3, 2, 3), "U..H", "high after K = 3 cycles at level 3"},
        {"ahhahh", counts(3, 2, 3), "U.....", "a normal cycle restarts the high run"},
        {"ahhhaaa", counts(3, 2, 3), "U..H..N", "normal after K cycles below level 3"},
        {"ahhhaaxa", counts(3, 2, 3), "U..H....", "a failure breaks the normal run"},
        {"ahhhhhhhhhhhh", counts(3, 2, 0), "U............", "K = 0: never high"},
    };
    for (const Case& c : cases) EXPECT_EQ(trace(c.script, c.settings), c.expected) << c.why << ": " << c.script;
}

TEST(HostHealth, EpisodesRunFromTheFirstCycleOfTheRunThatStartsItToTheFirstOfTheRunThatEndsIt) {
    HostHealth h;
    HealthSettings s = counts(3, 2, 2);
    h.onCycle(true, 1, 10, {0, {}}, s);
    h.onCycle(false, 4, 1000, {1, {}}, s);
    h.onCycle(false, 4, 1000, {2, {}}, s);
    HealthChange down = h.onCycle(false, 4, 1000, {3, {}}, s);
    ASSERT_TRUE(down.wentDown);
    EXPECT_EQ(down.downStarted.seconds, 1);
    h.onCycle(true, 3, 250, {10, {}}, s);
    HealthChange up = h.onCycle(true, 3, 400, {11, {}}, s);
    ASSERT_TRUE(up.recovered);
    EXPECT_EQ(up.downStarted.seconds, 1);
    EXPECT_EQ(up.downEnded.seconds, 10);
    ASSERT_TRUE(up.wentHigh) << "the same cycles also made the high run";
    EXPECT_EQ(up.highStarted.seconds, 10);
    EXPECT_EQ(h.worst(), 400);
    h.onCycle(true, 3, 900, {12, {}}, s);
    h.onCycle(true, 1, 20, {13, {}}, s);
    HealthChange normal = h.onCycle(true, 1, 20, {14, {}}, s);
    ASSERT_TRUE(normal.wentNormal);
    EXPECT_EQ(normal.highEnded.seconds, 13);
    EXPECT_EQ(normal.worst, 900);
    EXPECT_EQ(h.latest(), 20);
}

}  // namespace
