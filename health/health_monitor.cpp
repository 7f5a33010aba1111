#include "health/health_monitor.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The local network is out only when this many other hosts all fail: one
// dead host is that host's problem.
constexpr std::size_t kLocalNetworkHosts = 2;
constexpr int kLoopbackFirstOctet = 127;

}  // namespace

bool IsLoopbackAddress(const Text& address) {
    if (address == "localhost") return true;
    const std::string& a = address.str();
    const std::size_t dot = a.find('.');
    if (dot == std::string::npos || dot == 0 || dot > 3) return false;
    for (std::size_t i = 0; i < dot; ++i)
        if (a[i] < '0' || a[i] > '9') return false;
    return std::atoi(a.substr(0, dot).c_str()) == kLoopbackFirstOctet;
}

HealthMonitor::HealthMonitor(HealthSink& sink, const HealthSettings& settings)
    : sink_(sink), settings_(settings) {}

void HealthMonitor::setSettings(const HealthSettings& settings, Instant now) {
    const bool highOff = settings.highAfter == 0 && settings_.highAfter != 0;
    settings_ = settings;
    if (highOff) {
        for (auto& [id, host] : hosts_) {
            const HealthChange c = host.health.endHigh(now);
            if (c.wentNormal) sink_.episodeClosed(id, EpisodeKind::high, c.highEnded, c.worst);
        }
    }
    if (!settings_.alerts) group_.clear(), groupOpen_ = false;
    updateTray();
}

void HealthMonitor::hostStarted(std::int32_t hostId, const HostLabel& label, Instant now) {
    if (hosts_.count(hostId)) hostStopped(hostId, now);
    Host& host = hosts_[hostId];
    host.label = label;
    host.loopback = IsLoopbackAddress(label.address);
    updateTray();
}

void HealthMonitor::hostStopped(std::int32_t hostId, Instant now) {
    auto it = hosts_.find(hostId);
    if (it == hosts_.end()) return;
    closeEpisodes(hostId, it->second, now);
    hosts_.erase(it);
    dropQueued(hostId);
    folded_.erase(hostId);
    updateLocal(now, nullptr);
    updateTray();
}

void HealthMonitor::closeAll(Instant now) {
    for (auto& [id, host] : hosts_) closeEpisodes(id, host, now);
}

void HealthMonitor::closeEpisodes(std::int32_t hostId, Host& host, Instant now) {
    if (host.health.reach() == Reach::down) sink_.episodeClosed(hostId, EpisodeKind::down, now, 0);
    if (host.health.high()) sink_.episodeClosed(hostId, EpisodeKind::high, now, host.health.worst());
}

void HealthMonitor::onCycle(std::int32_t hostId, bool answered, int level, int latency, Instant now) {
    auto it = hosts_.find(hostId);
    if (it == hosts_.end()) return;  // a late report of a task that has stopped
    flushDue(now);
    const HealthChange c = it->second.health.onCycle(answered, level, latency, now, settings_);
    if (!c.any()) return;
    apply(hostId, it->second, c, now);
    updateLocal(now, &c);
    updateTray();
}

void HealthMonitor::apply(std::int32_t hostId, Host& host, const HealthChange& c, Instant now) {
    if (c.wentDown) {
        sink_.episodeOpened(hostId, host.label, EpisodeKind::down, c.downStarted);
        queueForHost(hostId, {NoticeKind::down, host.label}, now);
    }
    if (c.recovered) {
        sink_.episodeClosed(hostId, EpisodeKind::down, c.downEnded, 0);
        // A host of the local outage: its recovery is told by the local one.
        if (!folded_.erase(hostId)) {
            NoticeItem item{NoticeKind::up, host.label};
            item.duration = c.downEnded.seconds - c.downStarted.seconds;
            queueForHost(hostId, item, now);
        }
    }
    if (c.wentHigh) {
        sink_.episodeOpened(hostId, host.label, EpisodeKind::high, c.highStarted);
        NoticeItem item{NoticeKind::high, host.label};
        item.latency = host.health.latest();
        queueForHost(hostId, item, now);
    }
    if (c.wentNormal) {
        sink_.episodeClosed(hostId, EpisodeKind::high, c.highEnded, c.worst);
        NoticeItem item{NoticeKind::normal, host.label};
        item.duration = c.highEnded.seconds - c.highStarted.seconds;
        queueForHost(hostId, item, now);
    }
}

std::vector<std::int32_t> HealthMonitor::networkHosts() const {
    std::vector<std::int32_t> ids;
    for (const auto& [id, host] : hosts_)
        if (!host.loopback) ids.push_back(id);
    return ids;
}

void HealthMonitor::updateLocal(Instant now, const HealthChange* change) {
    const std::vector<std::int32_t> ids = networkHosts();
    auto reach = [&](std::int32_t id) { return hosts_.at(id).health.reach(); };
    if (!localDown_) {
        const bool allDown = ids.size() >= kLocalNetworkHosts &&
                             std::all_of(ids.begin(), ids.end(), [&](auto id) { return reach(id) == Reach::down; });
        if (!allDown) return;
        localDown_ = true;
        localSince_ = hosts_.at(ids.front()).health.downSince();
        for (std::int32_t id : ids) {
            const Instant since = hosts_.at(id).health.downSince();
            if (since.seconds > localSince_.seconds) localSince_ = since;
            dropQueued(id);  // told by the local notice instead
        }
        folded_.clear();
        folded_.insert(ids.begin(), ids.end());
        NoticeItem item{NoticeKind::localDown};
        item.hostCount = static_cast<int>(ids.size());
        queue(0, item, now);
        return;
    }
    const bool anyUp = std::any_of(ids.begin(), ids.end(), [&](auto id) { return reach(id) == Reach::up; });
    if (anyUp) {
        localDown_ = false;
        const Instant end = change && change->recovered ? change->downEnded : now;
        NoticeItem item{NoticeKind::localUp};
        item.duration = end.seconds - localSince_.seconds;
        if (!queue(0, item, now)) folded_.clear();
    } else if (ids.size() < kLocalNetworkHosts) {
        localDown_ = false;  // too few hosts left to speak for the network
        folded_.clear();
    }
}

void HealthMonitor::queueForHost(std::int32_t hostId, const NoticeItem& item, Instant now) {
    // While the local network is out, per-host notices would only repeat it.
    if (muted(hostId) || localDown_) return;
    queue(hostId, item, now);
}

bool HealthMonitor::queue(std::int32_t hostId, const NoticeItem& item, Instant now) {
    if (!settings_.alerts || holding_ || paused(now)) return false;
    flushDue(now);
    if (!groupOpen_) {
        groupOpen_ = true;
        groupDue_ = now.seconds + kNoticeGroupSeconds;
    }
    group_.push_back({hostId, item});
    return true;
}

void HealthMonitor::dropQueued(std::int32_t hostId) {
    group_.erase(std::remove_if(group_.begin(), group_.end(), [&](const Queued& q) { return q.hostId == hostId; }),
                 group_.end());
    if (group_.empty()) groupOpen_ = false;
}

void HealthMonitor::flushDue(Instant now) {
    if (!groupOpen_ || now.seconds < groupDue_) return;
    std::vector<NoticeItem> items;
    bool localUp = false;
    for (Queued& q : group_) {
        if (q.item.kind == NoticeKind::localUp) {
            localUp = true;
            for (std::int32_t id : folded_) {
                auto it = hosts_.find(id);
                if (it != hosts_.end() && it->second.health.reach() == Reach::down)
                    q.item.stillDown.push_back(it->second.label.name);
            }
        }
        items.push_back(q.item);
    }
    group_.clear();
    groupOpen_ = false;
    // Hosts still down were named; their own recoveries are told as usual.
    if (localUp) folded_.clear();
    if (!items.empty()) sink_.notify(ComposeNotice(items));
}

void HealthMonitor::tick(Instant now) {
    flushDue(now);
    if (holding_ && now.seconds >= holdUntil_) endHoldBack(now);
}

void HealthMonitor::startHoldBack(Instant now) {
    for (auto& [id, host] : hosts_) {
        closeEpisodes(id, host, now);
        host.health = HostHealth();
    }
    group_.clear();
    groupOpen_ = false;
    localDown_ = false;
    folded_.clear();
    holding_ = true;
    holdUntil_ = now.seconds + holdBackSeconds_;
    updateTray();
}

void HealthMonitor::endHoldBack(Instant now) {
    holding_ = false;
    if (localDown_) {
        NoticeItem item{NoticeKind::localDown};
        item.hostCount = static_cast<int>(networkHosts().size());
        queue(0, item, now);
        return;
    }
    for (const auto& [id, host] : hosts_)
        if (host.health.reach() == Reach::down) queueForHost(id, {NoticeKind::down, host.label}, now);
}

void HealthMonitor::setMuted(std::int32_t hostId, bool on) {
    if (on) {
        muted_.insert(hostId);
        dropQueued(hostId);
    } else {
        muted_.erase(hostId);
    }
}

void HealthMonitor::pauseUntil(double seconds) {
    paused_ = true;
    pausedUntil_ = seconds;
    group_.clear();
    groupOpen_ = false;
}

Reach HealthMonitor::reachOf(std::int32_t hostId) const {
    auto it = hosts_.find(hostId);
    return it == hosts_.end() ? Reach::unknown : it->second.health.reach();
}

bool HealthMonitor::isHigh(std::int32_t hostId) const {
    auto it = hosts_.find(hostId);
    return it != hosts_.end() && it->second.health.high();
}

void HealthMonitor::updateTray() {
    TraySummary s;
    for (const auto& [id, host] : hosts_) {
        const HostHealth& h = host.health;
        if (h.reach() == Reach::down) {
            ++s.down;
            s.downNames.push_back(host.label.name);
        } else if (h.high()) {
            ++s.high;
        } else {
            ++s.normal;
        }
    }
    s.level = hosts_.empty() ? TrayLevel::idle
              : s.down      ? TrayLevel::down
              : s.high      ? TrayLevel::high
                            : TrayLevel::normal;
    if (s == summary_) return;
    summary_ = s;
    sink_.trayChanged(summary_);
}
