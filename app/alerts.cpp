#include "app/alerts.h"

#include <mmsystem.h>

#include <cstdlib>
#include <map>
#include <utility>

#include "app/exit_steps.h"
#include "monitor/monitor_context.h"
#include "monitor/running_tasks.h"
#include "monitor/status_receiver.h"
#include "app/main_actions.h"
#include "runtime/datetime.h"
#include "runtime/lock_guard.h"
#include "store/date_text.h"
#include "store/outage_table.h"
#include "store/settings_table.h"
#include "runtime/win32/subclass.h"
#include "ui/tray.h"

namespace {

// Often enough that a group is shown within its window's end plus half of
// this, rarely enough to cost nothing.
constexpr UINT kHealthTimerMs = 500;
constexpr UINT_PTR kHealthTimerId = 0x4854;  // "HT": not one the window engine uses
// A tray change is a round trip to the shell, several milliseconds under
// Wine, and a thousand tasks starting change the tip's count a thousand
// times in a few seconds. The tray shows a change at once when its last
// one is older than this; one that comes sooner waits for a tick of the
// health timer at least this long after, which shows the latest.
constexpr ULONGLONG kTrayRefreshMs = 500;

TrayTone toneOf(TrayLevel level) {
    switch (level) {
    case TrayLevel::idle: return TrayTone::idle;
    case TrayLevel::high: return TrayTone::high;
    case TrayLevel::down: return TrayTone::down;
    case TrayLevel::normal: break;
    }
    return TrayTone::normal;
}

// The name and address the host's task was started with, as stored.
HostLabel labelOf(std::int32_t hostId) {
    RunningTasks::Label started = runningTasks().labelOf(hostId);
    return {std::move(started.name), std::move(started.address)};
}

const char* const kCloseOutagesStep = "close outage episodes";
const char* const kTestHoldBackVariable = "QERNO_TEST_HOLDBACK_SECONDS";

// Outage rows are written under the log lock, as every write of this
// connection is: the log writer's transaction (on its own connection) never
// holds the file meanwhile, so the statement never waits inside SQLite.
class OutageWriter {
public:
    void opened(std::int32_t hostId, const HostLabel& host, EpisodeKind kind, const Instant& start) {
        SqliteDB* db = monitorDatabase();
        if (!db) return;
        const OutageStart row{hostId, host.name, host.address, static_cast<int>(kind), FormatDateTime(start.wall)};
        LockGuard lock(monitorLogLock());
        const std::int64_t id = OpenOutage(*db, row);
        if (id > 0) rows_[{hostId, kind}] = id;
    }
    void closed(std::int32_t hostId, EpisodeKind kind, const Instant& end, int worst) {
        auto it = rows_.find({hostId, kind});
        if (it == rows_.end()) return;  // its INSERT failed: nothing to end
        SqliteDB* db = monitorDatabase();
        if (db) {
            LockGuard lock(monitorLogLock());
            CloseOutage(*db, it->second, FormatDateTime(end.wall), worst);
        }
        rows_.erase(it);
    }

private:
    std::map<std::pair<std::int32_t, EpisodeKind>, std::int64_t> rows_;  // open rows
};

class TraySink : public HealthSink {
public:
    void episodeOpened(std::int32_t hostId, const HostLabel& host, EpisodeKind kind, const Instant& start) override {
        outages.opened(hostId, host, kind, start);
    }
    void episodeClosed(std::int32_t hostId, EpisodeKind kind, const Instant& end, int worst) override {
        outages.closed(hostId, kind, end, worst);
    }
    void notify(const Notice& notice) override {
        if (!trayIconInstalled()) return;
        showTrayBalloon(notice.title, notice.text, notice.warning ? NIIF_WARNING : NIIF_INFO);
        if (sound) {
            PlaySoundW(notice.warning ? L"SystemExclamation" : L"SystemAsterisk", nullptr,
                       SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
        }
    }
    void trayChanged(const TraySummary& summary) override {
        pending_ = summary;
        hasPending_ = true;
        showPending();
    }
    // The latest change the tray has not shown yet, if any, once the last
    // one shown is old enough.
    void showPending() {
        if (!hasPending_ || !trayIconInstalled() || !main) return;
        const ULONGLONG now = GetTickCount64();
        if (shownAt_ && now - shownAt_ < kTrayRefreshMs) return;
        hasPending_ = false;
        shownAt_ = now;
        addTrayIcon(main, &trayIconFile(toneOf(pending_.level)), TrayTip(pending_), true, TrayEvent);
    }

    HWND main = nullptr;
    bool sound = false;
    OutageWriter outages;

private:
    TraySummary pending_;
    bool hasPending_ = false;
    ULONGLONG shownAt_ = 0;
};

struct ProgramAlerts {
    TraySink sink;
    HealthMonitor monitor{sink};
};

ProgramAlerts& alerts() {
    static ProgramAlerts instance;
    return instance;
}

bool isResume(WPARAM event) { return event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND; }

// The main window's timer and power messages; everything else passes on.
LRESULT alertsHook(const SubclassCall& call, void* data) {
    auto* a = static_cast<ProgramAlerts*>(data);
    if (call.msg == WM_TIMER && call.wp == kHealthTimerId) {
        a->monitor.tick(healthNow());
        a->sink.showPending();
        return 0;
    }
    // After a sleep every host looks down for a while: start afresh.
    if (call.msg == WM_POWERBROADCAST && isResume(call.wp)) a->monitor.startHoldBack(healthNow());
    return call.next();
}

void onStatus(const TaskStatusMessage& m) {
    const bool answered = m.status == 0;
    alerts().monitor.onCycle(m.hostId, answered, m.level, m.roundTripTime, healthNow());
}

void onTaskChange(std::int32_t hostId, RunningTasks::Change change) {
    HealthMonitor& monitor = alerts().monitor;
    if (change == RunningTasks::Change::started)
        monitor.hostStarted(hostId, labelOf(hostId), healthNow());
    else if (change == RunningTasks::Change::stopped)
        monitor.hostStopped(hostId, healthNow());
}

// The stored settings and muted hosts; a file without them keeps the defaults.
void loadSettings(HealthMonitor& monitor) {
    SqliteDB* db = monitorDatabase();
    SettingValues values;
    if (!db || !ReadSettings(*db, values)) return;
    monitor.setSettings(SettingsFromValues(values), healthNow());
    constexpr std::size_t kMutePrefix = sizeof "mute." - 1;
    for (const auto& [key, value] : values) {
        if (key.rfind("mute.", 0) == 0 && value == "1")
            monitor.setMuted(std::atoi(key.c_str() + kMutePrefix), true);
    }
}

}  // namespace

Instant healthNow() { return {GetTickCount64() / 1000.0, now()}; }

HealthMonitor& programHealth() { return alerts().monitor; }

void applyHealthSettings(const HealthSettings& settings) {
    ProgramAlerts& a = alerts();
    a.monitor.setSettings(settings, healthNow());
    a.sink.sound = settings.sound;
}

void startAlerts(HWND main) {
    ProgramAlerts& a = alerts();
    a.sink.main = main;
    // Rows a killed program left open end at this start.
    if (SqliteDB* db = monitorDatabase()) {
        LockGuard lock(monitorLogLock());
        CloseOpenOutages(*db, FormatDateTime(now()));
    }
    loadSettings(a.monitor);
    if (const char* seconds = std::getenv(kTestHoldBackVariable)) a.monitor.setHoldBackSeconds(std::atof(seconds));
    a.sink.sound = a.monitor.settings().sound;
    // Normally the stopped tasks have closed every episode already; this
    // catches what a task that would not stop left open.
    programExitSequence().addBefore(kCloseDatabaseStep, kCloseOutagesStep,
                                    [] { alerts().monitor.closeAll(healthNow()); });
    for (std::int32_t id : runningTasks().hosts()) a.monitor.hostStarted(id, labelOf(id), healthNow());
    runningTasks().addListener(onTaskChange);
    programStatusReceiver().addListener(onStatus);
    a.monitor.startHoldBack(healthNow());
    a.sink.trayChanged(a.monitor.summary());  // the picture for the start, changed or not
    addSubclass<alertsHook>(main, &a);
    SetTimer(main, kHealthTimerId, kHealthTimerMs, nullptr);
}
