#include "runtime/exit_sequence.h"

#include <algorithm>

bool ExitSequence::canAdd(const std::string& name, const Step& step) const {
    return !begun_ && !name.empty() && step &&
           std::none_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; });
}

bool ExitSequence::add(const std::string& name, Step step) {
    if (!canAdd(name, step)) return false;
    entries_.push_back({name, std::move(step)});
    return true;
}

bool ExitSequence::addBefore(const std::string& before, const std::string& name, Step step) {
    auto at = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == before; });
    if (at == entries_.end() || !canAdd(name, step)) return false;
    entries_.insert(at, {name, std::move(step)});
    return true;
}

void ExitSequence::run() { runUpTo(entries_.size()); }

void ExitSequence::runThrough(const std::string& name) {
    auto at = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; });
    if (at != entries_.end()) runUpTo(static_cast<std::size_t>(at - entries_.begin()) + 1);
}

void ExitSequence::runUpTo(std::size_t end) {
    if (running_) return;
    begun_ = running_ = true;
    for (std::size_t i = 0; i < end; ++i) {
        if (entries_[i].ran) continue;
        entries_[i].ran = true;  // before the call: a step is never run twice
        entries_[i].step();
    }
    running_ = false;
}

std::vector<std::string> ExitSequence::names() const {
    std::vector<std::string> all;
    for (const Entry& e : entries_) all.push_back(e.name);
    return all;
}

bool ExitSequence::ran(const std::string& name) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name && e.ran; });
}
