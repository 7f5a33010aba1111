// LockGuard: holds a lock of the lock commands (runtime/lock.h) for one
// scope, so that no return path can leave the lock entered. Handles that
// are no lock (0, deleted) are held as the commands treat them: not at all.
//
// Threads: a guard is entered and left by the thread that made it; moving it
// to another thread would make that thread leave a lock it does not hold,
// which leaveLock ignores, leaving the lock held for ever.
#pragma once

#include <utility>

#include "runtime/lock.h"

class LockGuard {
public:
    explicit LockGuard(LockHandle lock) : lock_(lock) { enterLock(lock_); }
    ~LockGuard() { leave(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;
    LockGuard(LockGuard&& other) noexcept : lock_(std::exchange(other.lock_, 0)) {}
    LockGuard& operator=(LockGuard&& other) noexcept {
        if (this != &other) {
            leave();
            lock_ = std::exchange(other.lock_, 0);
        }
        return *this;
    }

    // Leaves before the scope ends; the guard then holds nothing.
    void leave() {
        if (lock_) leaveLock(std::exchange(lock_, 0));
    }
    bool holding() const { return lock_ != 0; }

private:
    LockHandle lock_ = 0;
};
