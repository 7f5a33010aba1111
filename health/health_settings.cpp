#include "health/health_settings.h"

#include <cstdlib>

namespace {

constexpr int kMaxFailures = 60, kMaxAnswers = 60, kMaxHighCycles = 600;

const CountBounds kBounds[] = {
    {HealthCount::downAfter, "alert.down_after", "连续失败次数", 1, kMaxFailures},
    {HealthCount::upAfter, "alert.up_after", "恢复次数", 1, kMaxAnswers},
    {HealthCount::highAfter, "alert.high_after", "延迟过高持续次数", 0, kMaxHighCycles},
};
const char* const kAlertsKey = "alert.enabled";
const char* const kSoundKey = "alert.sound";

int& countOf(HealthSettings& s, HealthCount field) {
    switch (field) {
    case HealthCount::downAfter: return s.downAfter;
    case HealthCount::upAfter: return s.upAfter;
    case HealthCount::highAfter: break;
    }
    return s.highAfter;
}

// A whole decimal number and nothing else.
std::optional<int> wholeNumber(const Text& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || text.at(0) == ' ' || text.at(0) == '+') return std::nullopt;
    return static_cast<int>(v);
}

std::optional<bool> flag(const SettingValues& values, const char* key) {
    auto it = values.find(key);
    if (it == values.end()) return std::nullopt;
    if (it->second == "1") return true;
    if (it->second == "0") return false;
    return std::nullopt;
}

}  // namespace

const CountBounds& boundsOf(HealthCount field) {
    for (const CountBounds& b : kBounds)
        if (b.field == field) return b;
    return kBounds[0];
}

std::optional<Text> CheckHealthSettings(const HealthSettings& settings) {
    HealthSettings s = settings;
    for (const CountBounds& b : kBounds) {
        const int v = countOf(s, b.field);
        if (v < b.min || v > b.max)
            return Text(b.label) + "应在 " + Text(std::to_string(b.min)) + " 到 " +
                   Text(std::to_string(b.max)) + " 之间";
    }
    return std::nullopt;
}

HealthSettings SettingsFromValues(const SettingValues& values) {
    HealthSettings s;
    if (auto v = flag(values, kAlertsKey)) s.alerts = *v;
    if (auto v = flag(values, kSoundKey)) s.sound = *v;
    for (const CountBounds& b : kBounds) {
        auto it = values.find(b.key);
        if (it == values.end()) continue;
        const std::optional<int> v = wholeNumber(it->second);
        if (v && *v >= b.min && *v <= b.max) countOf(s, b.field) = *v;
    }
    return s;
}

SettingValues ValuesFromSettings(const HealthSettings& settings) {
    HealthSettings s = settings;
    SettingValues values;
    values[kAlertsKey] = s.alerts ? "1" : "0";
    values[kSoundKey] = s.sound ? "1" : "0";
    for (const CountBounds& b : kBounds) values[b.key] = Text(std::to_string(countOf(s, b.field)));
    return values;
}

std::string MuteKey(int hostId) { return "mute." + std::to_string(hostId); }
