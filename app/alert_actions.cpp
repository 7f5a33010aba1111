#include "app/alert_actions.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

#include "app/alerts.h"
#include "health/health_settings.h"
#include "monitor/monitor_context.h"
#include "runtime/lock_guard.h"
#include "runtime/win32/autostart.h"
#include "runtime/win32/message_box.h"
#include "runtime/win32/window_commands.h"
#include "store/settings_table.h"
#include "ui/actions.h"
#include "ui/host_actions.h"
#include "ui/main_window.h"
#include "ui/settings_window.h"

const char* const kAutostartValueName = "Qerno网络检测";

namespace {

constexpr double kPauseSeconds = 60 * 60;  // "1 小时"
const char* const kOn = "1";

void fill(std::function<void()>& slot, std::function<void()> action) {
    if (!slot) slot = std::move(action);
}

// Settings rows are single statements on the shared connection, under the
// log lock: the log writer's transaction never holds the file meanwhile.
void writeSetting(const std::string& key, const Text& value) {
    SqliteDB* db = monitorDatabase();
    if (!db) return;
    LockGuard lock(monitorLogLock());
    WriteSetting(*db, key, value);
}

void deleteSetting(const std::string& key) {
    SqliteDB* db = monitorDatabase();
    if (!db) return;
    LockGuard lock(monitorLogLock());
    DeleteSetting(*db, key);
}

void pauseAlerts() {
    HealthMonitor& health = programHealth();
    const Instant now = healthNow();
    if (health.paused(now)) health.resumeNotices();
    else health.pauseUntil(now.seconds + kPauseSeconds);
}

void muteSelectedHost() {
    const int host = selectedHost();
    if (host == 0) return;
    HealthMonitor& health = programHealth();
    const bool mute = !health.muted(host);
    health.setMuted(host, mute);
    if (mute) writeSetting(MuteKey(host), kOn);
    else deleteSetting(MuteKey(host));
}

// SQLite gives a new host the highest id plus one, so a deleted last
// host's id comes back: its mute must go with it, or the new host would be
// silent from its first day.
void forgetDeletedHostsMutes() {
    SqliteDB* db = monitorDatabase();
    SettingValues values;
    if (!db || !ReadSettings(*db, values)) return;
    const std::vector<int> listed = listedHosts();
    constexpr std::size_t kMutePrefix = sizeof "mute." - 1;
    for (const auto& [key, value] : values) {
        if (key.rfind("mute.", 0) != 0) continue;
        const int host = std::atoi(key.c_str() + kMutePrefix);
        if (std::find(listed.begin(), listed.end(), host) != listed.end()) continue;
        programHealth().setMuted(host, false);
        deleteSetting(key);
    }
}

MenuItemLook mainMenuLook(int unit) {
    MenuItemLook look;
    if (unit == MainWin::暂停提醒 && programHealth().paused(healthNow())) look.text = MainWin::kResumeAlertsCaption;
    if (unit == MainWin::不提醒此主机) {
        const int host = selectedHost();
        look.checked = host != 0 && programHealth().muted(host);
    }
    return look;
}

// ---- The settings window ----

::Unit field(int unit) { return unitOf(settingsWindow(), unit); }

bool checked(int unit) {
    const Value v = getProperty(field(unit), Property::Checked);
    const bool* b = std::get_if<bool>(&v);
    return b && *b;
}

// A count as typed; anything but a whole number reads as out of every
// range, so the bounds message names the field.
int countIn(int unit) {
    const Value v = getProperty(field(unit), Property::Content);
    const Text* text = std::get_if<Text>(&v);
    if (!text || text->empty() || text->size() > 9) return INT_MIN;
    char* end = nullptr;
    const long n = std::strtol(text->c_str(), &end, 10);
    return *end == '\0' ? static_cast<int>(n) : INT_MIN;
}

void fillSettings() {
    using namespace SettingsWin;
    const HealthSettings s = programHealth().settings();
    setProperty(field(选择框_启用提醒), Property::Checked, s.alerts);
    setProperty(field(编辑框_失败次数), Property::Content, Text(std::to_string(s.downAfter)));
    setProperty(field(编辑框_恢复次数), Property::Content, Text(std::to_string(s.upAfter)));
    setProperty(field(编辑框_延迟次数), Property::Content, Text(std::to_string(s.highAfter)));
    setProperty(field(选择框_声音提醒), Property::Checked, s.sound);
    setProperty(field(选择框_开机运行), Property::Checked, autostartRegistered(kAutostartValueName));
}

void saveSettings() {
    using namespace SettingsWin;
    HealthSettings s;
    s.alerts = checked(选择框_启用提醒);
    s.downAfter = countIn(编辑框_失败次数);
    s.upAfter = countIn(编辑框_恢复次数);
    s.highAfter = countIn(编辑框_延迟次数);
    s.sound = checked(选择框_声音提醒);
    if (const std::optional<Text> wrong = CheckHealthSettings(s)) {
        messageBox(*wrong, BoxFlags::Information, "信息：", settingsWindow().handle());
        return;  // the window stays open for the correction
    }
    for (const auto& [key, value] : ValuesFromSettings(s)) writeSetting(key, value);
    applyHealthSettings(s);
    const bool autostart = checked(选择框_开机运行);
    if (autostart != autostartRegistered(kAutostartValueName))
        setAutostart(kAutostartValueName, autostart, autostartCommand());
    destroyWindow(settingsWindow());
}

}  // namespace

void installAlertActions() {
    UiActions& a = uiActions();
    fill(a.openSettings, [] { loadWindow(settingsWindow(), &mainWindow()); });
    fill(a.pauseAlerts, pauseAlerts);
    fill(a.muteSelectedHost, muteSelectedHost);
    if (!a.mainMenuLook) a.mainMenuLook = mainMenuLook;
    if (a.deleteHosts) {
        a.deleteHosts = [remove = std::move(a.deleteHosts)] {
            remove();
            forgetDeletedHostsMutes();
        };
    }
    fill(a.fillSettings, fillSettings);
    fill(a.saveSettings, saveSettings);
}
