#include "app/alerts.h"

#include <mmsystem.h>

#include "monitor/monitor_context.h"
#include "monitor/running_tasks.h"
#include "monitor/status_receiver.h"
#include "app/main_actions.h"
#include "runtime/datetime.h"
#include "runtime/win32/subclass.h"
#include "store/host_record.h"
#include "store/sqlite_table.h"
#include "store/statements.h"
#include "ui/tray.h"

namespace {

// Often enough that a group is shown within its window's end plus half of
// this, rarely enough to cost nothing.
constexpr UINT kHealthTimerMs = 500;
constexpr UINT_PTR kHealthTimerId = 0x4854;  // "HT": not one the window engine uses

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
    HostLabel label;
    SqliteDB* db = monitorDatabase();
    SqliteTable table;
    if (!db || !openHostTable(table, *db) || !table.find(TaskHostCondition(hostId))) return label;
    HostRecord host;
    readHostRecord(table, host, {HostField::name, HostField::address});
    label.name = host.name;
    label.address = host.address;
    return label;
}

class TraySink : public HealthSink {
public:
    void episodeOpened(std::int32_t, const HostLabel&, EpisodeKind, const Instant&) override {}
    void episodeClosed(std::int32_t, EpisodeKind, const Instant&, int) override {}
    void notify(const Notice& notice) override {
        if (!trayIconInstalled()) return;
        showTrayBalloon(notice.title, notice.text, notice.warning ? NIIF_WARNING : NIIF_INFO);
        if (sound) {
            PlaySoundW(notice.warning ? L"SystemExclamation" : L"SystemAsterisk", nullptr,
                       SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
        }
    }
    void trayChanged(const TraySummary& summary) override {
        if (!trayIconInstalled() || !main) return;
        addTrayIcon(main, &trayIconFile(toneOf(summary.level)), TrayTip(summary), true, TrayEvent);
    }

    HWND main = nullptr;
    bool sound = false;
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
    else
        monitor.hostStopped(hostId, healthNow());
}

}  // namespace

Instant healthNow() { return {GetTickCount64() / 1000.0, now()}; }

HealthMonitor& programHealth() { return alerts().monitor; }

void startAlerts(HWND main) {
    ProgramAlerts& a = alerts();
    a.sink.main = main;
    a.sink.sound = a.monitor.settings().sound;
    for (std::int32_t id : runningTasks().hosts()) a.monitor.hostStarted(id, labelOf(id), healthNow());
    runningTasks().addListener(onTaskChange);
    programStatusReceiver().addListener(onStatus);
    a.monitor.startHoldBack(healthNow());
    a.sink.trayChanged(a.monitor.summary());  // the picture for the start, changed or not
    addSubclass<alertsHook>(main, &a);
    SetTimer(main, kHealthTimerId, kHealthTimerMs, nullptr);
}
