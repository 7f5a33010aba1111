#include "monitor/stop_tokens.h"

#include <mutex>
#include <unordered_map>

namespace {

struct Registry {
    std::mutex mutex;
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
}

int liveStopTokens() {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return static_cast<int>(r.live.size());
}
