#include "monitor/running_tasks.h"

#include <algorithm>
#include <utility>

std::int32_t RunningTasks::tokenOf(std::int32_t hostId) const {
    auto it = tasks_.find(hostId);
    return it == tasks_.end() ? 0 : it->second.token;
}

RunningTasks::Label RunningTasks::labelOf(std::int32_t hostId) const {
    auto it = tasks_.find(hostId);
    return it == tasks_.end() ? Label() : it->second.label;
}

std::vector<std::int32_t> RunningTasks::hosts() const {
    std::vector<std::int32_t> ids;
    ids.reserve(tasks_.size());
    for (const auto& entry : tasks_) ids.push_back(entry.first);
    return ids;
}

void RunningTasks::started(std::int32_t hostId, std::int32_t token, Label label) {
    if (token == 0) return;
    tasks_[hostId] = Task{token, std::move(label)};
    notify(hostId, Change::started);
}

std::int32_t RunningTasks::stopped(std::int32_t hostId) {
    waiting_.erase(hostId);
    auto it = tasks_.find(hostId);
    if (it == tasks_.end()) return 0;
    const std::int32_t token = it->second.token;
    tasks_.erase(it);
    notify(hostId, Change::stopped);
    return token;
}

void RunningTasks::notStarted(std::int32_t hostId) { notify(hostId, Change::notStarted); }

RunningTasks::ListenerId RunningTasks::addListener(Listener listener) {
    if (!listener) return 0;
    listeners_.emplace_back(++lastId_, std::move(listener));
    return lastId_;
}

bool RunningTasks::removeListener(ListenerId id) {
    auto it = std::find_if(listeners_.begin(), listeners_.end(),
                           [id](const auto& entry) { return entry.first == id; });
    if (it == listeners_.end()) return false;
    listeners_.erase(it);
    return true;
}

void RunningTasks::notify(std::int32_t hostId, Change change) {
    // A copy: a listener may add or remove listeners while it runs.
    const auto listeners = listeners_;
    for (const auto& entry : listeners) entry.second(hostId, change);
}

RunningTasks& runningTasks() {
    static RunningTasks tasks;
    return tasks;
}
