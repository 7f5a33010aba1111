#include "monitor/start_queue.h"

void StartQueue::add(std::int32_t hostId) {
    ids_.push_back(hostId);
    running_.awaitStart(hostId);
}

std::size_t StartQueue::step(const StartTask& start, const Batch& batch) {
    const auto end = clock_() + batch.maxTime;
    std::size_t started = 0;
    while (!ids_.empty() && started < batch.maxHosts) {
        if (started > 0 && clock_() >= end) break;
        const std::int32_t id = ids_.front();
        ids_.pop_front();
        // Passing over a host the user already stopped, started or deleted
        // costs nothing: it does not count against the batch.
        if (!running_.takeWaiting(id)) continue;
        start(id);
        ++started;
    }
    return started;
}

void StartQueue::clear() {
    for (std::int32_t id : ids_) running_.takeWaiting(id);
    ids_.clear();
}
