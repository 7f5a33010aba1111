// The notification receiver's handling of one TaskStatusMessage: the host's
// row shows the cycle's latency, status text, status image, class colour and
// average. Columns: 2 latency, 3 status (with the image), 5 average.
//
// Threads: the user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "monitor/host_list.h"
#include "monitor/task_messages.h"

// Takes the hand-off block (wParam of the message) and applies it; the
// decoded message when its host has a row, nothing otherwise.
std::optional<TaskStatusMessage> ReceiveTaskStatus(std::uintptr_t block, HostList& list);

// Applies one decoded message; false (nothing touched) when the host has no
// row: it was deleted while its task ran, or the block held no message.
bool ApplyTaskStatus(const TaskStatusMessage& message, HostList& list);

// The receiver with its listeners: each message first updates the host's
// row, then goes to every listener in the order they were added, so a
// listener sees the list as the user does. A message whose host has no row
// (a deleted host's last report, an unusable block) reaches no listener:
// there is no host any more to alert on or to keep history for.
//
// A listener may add or remove listeners, itself included, while it runs:
// one removed is not called again, even for the message in hand; one added
// is called from the next message on. Listeners run on the user-interface
// thread and must not block it.
class StatusReceiver {
public:
    using Listener = std::function<void(const TaskStatusMessage&)>;
    using ListenerId = int;  // 0 is never given out

    explicit StatusReceiver(HostList& list) : list_(list) {}
    StatusReceiver(const StatusReceiver&) = delete;
    StatusReceiver& operator=(const StatusReceiver&) = delete;

    ListenerId addListener(Listener listener);
    // False when no listener has that id (never given, or removed already).
    bool removeListener(ListenerId id);
    std::size_t listenerCount() const;

    // Takes the hand-off block (wParam of the message), applies it, notifies.
    void receive(std::uintptr_t block);
    void apply(const TaskStatusMessage& message);

private:
    struct Entry {
        ListenerId id;
        Listener listener;  // empty once removed while a notification ran
    };
    void notify(const TaskStatusMessage& message);

    HostList& list_;
    std::vector<Entry> entries_;
    ListenerId lastId_ = 0;
    int notifying_ = 0;  // depth: a listener may pump messages and re-enter
};
