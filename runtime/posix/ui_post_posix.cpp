#include "runtime/ui_post.h"

#include <chrono>

bool postToUi(UiReceiver receiver, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) {
    if (!receiver) return false;
    reinterpret_cast<UiQueue*>(receiver)->post(UiMessage{message, wParam, lParam});
    return true;
}

void UiQueue::post(const UiMessage& message) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(message);
    }
    posted_.notify_one();
}

bool UiQueue::take(UiMessage& message, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!posted_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return !messages_.empty(); }))
        return false;
    message = messages_.front();
    messages_.pop_front();
    return true;
}
