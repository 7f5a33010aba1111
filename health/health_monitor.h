// HealthMonitor: the health of every running host, and what follows from
// it: outage episodes opened and closed, notices grouped into one balloon,
// the local-network rule, the hold-back after start-up and resume, muted
// hosts and paused notices, and the tray's summary.
//
// Which hosts run is told by hostStarted/hostStopped (the task registry's
// listeners); a cycle of a host not running is ignored, so a stopped or
// deleted host's late report changes nothing. Every call takes the moment
// it happens (Instant), so tests drive it with a fake clock; tick must be
// called at least twice a second for notices to keep their timing.
//
// Threads: the user-interface thread only. The sink is called from inside
// these calls and must not call back into the monitor.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "health/health_settings.h"
#include "health/host_health.h"
#include "health/instant.h"
#include "health/notice.h"
#include "health/tray_summary.h"

enum class EpisodeKind : int { down = 1, high = 2 };  // as stored in outage.kind

class HealthSink {
public:
    virtual ~HealthSink() = default;
    virtual void episodeOpened(std::int32_t hostId, const HostLabel& host, EpisodeKind kind,
                               const Instant& start) = 0;
    // worst: the high episode's worst latency, 0 for a down one.
    virtual void episodeClosed(std::int32_t hostId, EpisodeKind kind, const Instant& end, int worst) = 0;
    virtual void notify(const Notice& notice) = 0;
    // Only when the summary differs from the last one told.
    virtual void trayChanged(const TraySummary& summary) = 0;
};

// Transitions within this many seconds of a group's first one join it, and
// the group is shown this long after its first.
constexpr double kNoticeGroupSeconds = 2;
// After start-up and after the system resumes: states start afresh and no
// notice is shown for this long.
constexpr double kHoldBackSeconds = 30;
// Local hosts tell nothing about the network.
bool IsLoopbackAddress(const Text& address);

class HealthMonitor {
public:
    explicit HealthMonitor(HealthSink& sink, const HealthSettings& settings = {});
    HealthMonitor(const HealthMonitor&) = delete;
    HealthMonitor& operator=(const HealthMonitor&) = delete;

    // Applied at once: K set to 0 closes open high-latency episodes.
    void setSettings(const HealthSettings& settings, Instant now);
    const HealthSettings& settings() const { return settings_; }

    // A host's task started (an edited host: after its stop, so it starts afresh).
    void hostStarted(std::int32_t hostId, const HostLabel& host, Instant now);
    // Its task stopped (stop, delete, edit): its open episodes close now.
    void hostStopped(std::int32_t hostId, Instant now);
    // The program ends: every open episode closes now.
    void closeAll(Instant now);

    // One status message of the host's task: answered is status 0.
    void onCycle(std::int32_t hostId, bool answered, int level, int latency, Instant now);
    // Shows a group that is due and ends a hold-back that is over.
    void tick(Instant now);

    // Start-up and resume: open episodes close, states reset, no notice
    // until kHoldBackSeconds have passed; hosts down then get one notice.
    void startHoldBack(Instant now);
    bool holdingBack() const { return holding_; }
    // The hold-backs from now on last this long (tests of the whole program
    // shorten it; the program itself keeps kHoldBackSeconds).
    void setHoldBackSeconds(double seconds) { holdBackSeconds_ = seconds; }

    // A muted host's notices are not shown; it still counts everywhere else.
    void setMuted(std::int32_t hostId, bool muted);
    bool muted(std::int32_t hostId) const { return muted_.count(hostId) != 0; }

    // No notice until the monotonic second given (the pause item), or again.
    void pauseUntil(double seconds);
    void resumeNotices() { paused_ = false; }
    bool paused(Instant now) const { return paused_ && now.seconds < pausedUntil_; }

    const TraySummary& summary() const { return summary_; }
    Reach reachOf(std::int32_t hostId) const;
    bool isHigh(std::int32_t hostId) const;
    bool localNetworkDown() const { return localDown_; }

private:
    struct Host {
        HostLabel label;
        bool loopback = false;
        HostHealth health;
    };
    struct Queued {
        std::int32_t hostId;  // 0 for the local network's items
        NoticeItem item;
    };

    void apply(std::int32_t hostId, Host& host, const HealthChange& c, Instant now);
    void closeEpisodes(std::int32_t hostId, Host& host, Instant now);
    void updateLocal(Instant now, const HealthChange* change);
    void queueForHost(std::int32_t hostId, const NoticeItem& item, Instant now);
    bool queue(std::int32_t hostId, const NoticeItem& item, Instant now);
    void dropQueued(std::int32_t hostId);
    void flushDue(Instant now);
    void endHoldBack(Instant now);
    void updateTray();
    std::vector<std::int32_t> networkHosts() const;

    HealthSink& sink_;
    HealthSettings settings_;
    std::map<std::int32_t, Host> hosts_;
    std::set<std::int32_t> muted_;
    bool paused_ = false;
    double pausedUntil_ = 0;
    bool holding_ = false;
    double holdUntil_ = 0;
    double holdBackSeconds_ = kHoldBackSeconds;
    bool groupOpen_ = false;
    double groupDue_ = 0;
    std::vector<Queued> group_;
    bool localDown_ = false;
    Instant localSince_;
    std::set<std::int32_t> folded_;  // hosts of the local outage whose recoveries it tells
    TraySummary summary_;
};
