#include "monitor/status_receiver.h"

#include <algorithm>

#include "runtime/convert.h"
#include "runtime/handoff_block.h"

namespace {

constexpr int kLatencyColumn = 2;
constexpr int kStatusColumn = 3;
constexpr int kAverageColumn = 5;
constexpr std::int32_t kWhite = 0xFFFFFF;

}  // namespace

std::optional<TaskStatusMessage> ReceiveTaskStatus(std::uintptr_t block, HostList& list) {
    TaskStatusMessage message = decodeTaskStatus(takeHandoffBlock(block));
    if (!ApplyTaskStatus(message, list)) return std::nullopt;
    return message;
}

bool ApplyTaskStatus(const TaskStatusMessage& m, HostList& list) {
    const int row = list.findRow(m.hostId);
    if (row < 0) return false;
    if (m.color != -1) {
        list.setCellColors(row, kLatencyColumn, kWhite, m.color);
        list.setCellImage(row, kStatusColumn, std::clamp(m.level, 1, 4) - 1);
    }
    const int shown = m.roundTripTime == 0 && m.status != 0 ? 1000 : m.roundTripTime;
    list.setCellText(row, kLatencyColumn, toText(shown) + " ms");
    list.setCellText(row, kStatusColumn, m.statusText);
    list.setCellText(row, kAverageColumn, toText(m.average) + " ms");
    return true;
}

StatusReceiver::ListenerId StatusReceiver::addListener(Listener listener) {
    if (!listener) return 0;
    entries_.push_back({++lastId_, std::move(listener)});
    return lastId_;
}

bool StatusReceiver::removeListener(ListenerId id) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [id](const Entry& e) { return e.id == id && e.listener; });
    if (id == 0 || it == entries_.end()) return false;
    // While a notification runs the entry stays, emptied, so that the loop's
    // indexes hold; it is dropped when the outermost notification ends.
    if (notifying_ > 0)
        it->listener = nullptr;
    else
        entries_.erase(it);
    return true;
}

std::size_t StatusReceiver::listenerCount() const {
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.listener != nullptr; }));
}

void StatusReceiver::receive(std::uintptr_t block) {
    if (std::optional<TaskStatusMessage> message = ReceiveTaskStatus(block, list_)) notify(*message);
}

void StatusReceiver::apply(const TaskStatusMessage& message) {
    if (ApplyTaskStatus(message, list_)) notify(message);
}

void StatusReceiver::notify(const TaskStatusMessage& message) {
    ++notifying_;
    // Listeners added meanwhile start with the next message.
    const std::size_t count = entries_.size();
    for (std::size_t i = 0; i < count; ++i) {
        // A copy: the listener may remove itself, emptying its entry.
        if (Listener listener = entries_[i].listener) listener(message);
    }
    if (--notifying_ == 0)
        entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [](const Entry& e) { return !e.listener; }),
                       entries_.end());
}
