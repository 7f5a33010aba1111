#include "health/health_settings.h"

#include <gtest/gtest.h>

namespace {

HealthSettings with(int n, int m, int k) {
    HealthSettings s;
    s.downAfter = n, s.upAfter = m, s.highAfter = k;
    return s;
}

TEST(HealthSettings, BoundsNameTheFirstFieldOutOfRange) {
    const struct {
        HealthSettings settings;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {with(3, 2, 10), nullptr},
        {with(1, 1, 0), nullptr},      // K = 0 switches high latency off
        {with(60, 60, 600), nullptr},  // every upper bound itself
        {with(0, 2, 10), "连续失败次数应在 1 到 60 之间"},
        {with(61, 2, 10), "连续失败次数应在 1 到 60 之间"},
        {with(3, 0, 10), "恢复次数应在 1 到 60 之间"},
        {with(3, 2, -1), "延迟过高持续次数应在 0 到 600 之间"},
        {with(3, 2, 601), "延迟过高持续次数应在 0 到 600 之间"},
        {with(0, 0, 601), "连续失败次数应在 1 到 60 之间"},
    };
    for (const auto& c : cases) {
        const std::optional<Text> message = CheckHealthSettings(c.settings);
        if (!c.message) {
            EXPECT_FALSE(message) << message->str();
        } else {
            ASSERT_TRUE(message) << c.message;
            EXPECT_EQ(message->str(), c.message);
        }
    }
}

TEST(HealthSettings, StoredValuesRoundTripAndDamagedOnesKeepTheDefaults) {
    HealthSettings s = with(5, 4, 0);
    s.alerts = false;
    s.sound = true;
    EXPECT_EQ(SettingsFromValues(ValuesFromSettings(s)), s);

    const SettingValues damaged = {{"alert.down_after", "0"},  {"alert.up_after", "2x"},
                                   {"alert.high_after", "-5"}, {"alert.enabled", "yes"},
                                   {"alert.sound", ""}};
    EXPECT_EQ(SettingsFromValues(damaged), HealthSettings{});
    EXPECT_EQ(SettingsFromValues({}), HealthSettings{});
    EXPECT_EQ(MuteKey(17), "mute.17");
}

}  // namespace
