// "Post to the user-interface thread": a message with two word-sized
// parameters, queued for the receiver and handled later on the UI thread;
// the poster never waits for it. Any thread may post.
//
// Windows: the receiver is a window handle and posting is PostMessageW.
// Native build: the receiver is the address of a UiQueue, which the owner
// (a test, standing in for the UI thread) drains.
#pragma once

#include <cstdint>

using UiReceiver = std::uintptr_t;

// The message a monitor task posts with its status report: wParam is the
// hand-off block holding the report, lParam is 0. Defined once here, where
// both the poster and the window engine that raises it as an event see it.
constexpr std::uint32_t kStatusReportMessage = 0x8075;

// False when the message was not queued (no such receiver, queue full):
// whatever wParam owns then still belongs to the poster.
bool postToUi(UiReceiver receiver, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam);

#ifndef _WIN32
#include <condition_variable>
#include <deque>
#include <mutex>

struct UiMessage {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// A thread-safe queue of posted messages in posting order.
class UiQueue {
public:
    UiQueue() = default;
    UiQueue(const UiQueue&) = delete;
    UiQueue& operator=(const UiQueue&) = delete;

    UiReceiver receiver() { return reinterpret_cast<UiReceiver>(this); }
    void post(const UiMessage& message);
    // The oldest message, waiting up to timeoutMs for one; false on timeout.
    bool take(UiMessage& message, int timeoutMs);

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<UiMessage> messages_;
};
#endif
