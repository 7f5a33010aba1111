// The alert settings, their bounds and their stored form: key/value texts of
// table `settings` (the store keeps them; this side only names and checks
// them).
//
// Any thread may call these (pure).
#pragma once

#include <map>
#include <optional>
#include <string>

#include "runtime/text.h"

struct HealthSettings {
    bool alerts = true;   // notices at all (the tray icon follows the state regardless)
    int downAfter = 3;    // N: consecutive unanswered cycles before a host is down
    int upAfter = 2;      // M: consecutive answers before a down host is up again
    int highAfter = 10;   // K: cycles at level 3 or more (or below it) to change; 0 = off
    bool sound = false;   // the system's sounds with the notices

    friend bool operator==(const HealthSettings& a, const HealthSettings& b) {
        return a.alerts == b.alerts && a.downAfter == b.downAfter && a.upAfter == b.upAfter &&
               a.highAfter == b.highAfter && a.sound == b.sound;
    }
};

// The whole-number fields the settings window edits, with their bounds.
enum class HealthCount { downAfter, upAfter, highAfter };
struct CountBounds {
    HealthCount field;
    const char* key;    // in table settings
    const char* label;  // in the window and in its messages
    int min;
    int max;
};
const CountBounds& boundsOf(HealthCount field);

// The message for the first field out of its bounds ("连续失败次数应在 1 到 60
// 之间"), nothing when all are in bounds.
std::optional<Text> CheckHealthSettings(const HealthSettings& settings);

using SettingValues = std::map<std::string, Text>;
// Keys absent, not numbers or out of bounds keep the defaults: a damaged
// row must not silence the alerts or make them fire on every cycle.
HealthSettings SettingsFromValues(const SettingValues& values);
SettingValues ValuesFromSettings(const HealthSettings& settings);

// The key that keeps a host's notices off ("mute.<id>", value "1").
std::string MuteKey(int hostId);
