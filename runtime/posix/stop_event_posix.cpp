#include "runtime/stop_event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

struct StopEvent::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool set = false;
};

StopEvent::StopEvent() : state_(new (std::nothrow) State) {}

StopEvent::~StopEvent() { delete state_; }

bool StopEvent::valid() const { return state_ != nullptr; }

void StopEvent::set() {
    if (!state_) return;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->set = true;
    }
    state_->changed.notify_all();
}

StopEvent::Wait StopEvent::wait(int timeoutMs) {
    if (!state_) return Wait::failed;
    std::unique_lock<std::mutex> lock(state_->mutex);
    auto isSet = [this] { return state_->set; };
    if (timeoutMs < 0) {
        state_->changed.wait(lock, isSet);
        return Wait::signalled;
    }
    // steady clock: a change of the wall clock must not stretch or cut the wait
    bool set = state_->changed.wait_until(
        lock, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs), isSet);
    return set ? Wait::signalled : Wait::timedOut;
}
