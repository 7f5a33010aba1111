#include "monitor/stop_tokens.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <unordered_map>

namespace {

struct Registry {
    std::mutex mutex;
    std::condition_variable ended;  // a token was released
    std::int32_t last = 0;
    std::unordered_map<std::int32_t, std::shared_ptr<StopEvent>> live;
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

std::int32_t createStopToken() {
    auto event = std::make_shared<StopEvent>();
    if (!event->valid()) return 0;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (r.last == INT32_MAX) return 0;  // two billion starts: refuse rather than reuse
    r.live.emplace(++r.last, std::move(event));
    return r.last;
}

void setStopToken(std::int32_t token) {
    if (auto event = acquireStopToken(token)) event->set();
}

std::shared_ptr<StopEvent> acquireStopToken(std::int32_t token) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.live.find(token);
    return it == r.live.end() ? nullptr : it->second;
}

void releaseStopToken(std::int32_t token) {
    std::shared_ptr<StopEvent> last;  // destroyed outside the lock
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.live.find(token);
    if (it == r.live.end()) return;
    last = std::move(it->second);
    r.live.erase(it);
    r.ended.notify_all();
}

int liveStopTokens() {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return static_cast<int>(r.live.size());
}

bool waitNoLiveStopTokens(int timeoutMs) {
    Registry& r = registry();
    std::unique_lock<std::mutex> lock(r.mutex);
    return r.ended.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                            [&r] { return r.live.empty(); });
}
