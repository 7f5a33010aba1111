// createLock, deleteLock, enterLock, leaveLock: re-entry, unknown handles,
// mutual exclusion, and deletion while other threads use the lock; LockGuard
// holding a lock for exactly its scope.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "runtime/lock.h"
#include "runtime/lock_guard.h"
#include "runtime/thread.h"

namespace {

// Runs `body` in a started thread; the handle tells when it has finished.
template <typename F> ThreadHandle spawn(F* body) {
    ThreadHandle handle = 0;
    startThread([](std::uintptr_t arg) { (*reinterpret_cast<F*>(arg))(); return 0; },
                reinterpret_cast<std::uintptr_t>(body), &handle);
    return handle;
}

// True when another thread can enter and leave `lock` within the timeout.
bool freeForOthers(LockHandle lock, int timeoutMs = 10000) {
    auto body = [lock] { enterLock(lock); leaveLock(lock); };
    ThreadHandle h = spawn(&body);
    bool done = waitThread(h, timeoutMs);
    if (done) closeThreadHandle(h);
    EXPECT_TRUE(done) << "a thread could not get the lock";
    return done;
}

// True when another thread stays blocked on `lock` for a short wait; the
// thread is let through (and joined) once the caller releases the lock via
// `release`.
template <typename Release> bool heldAgainstOthers(LockHandle lock, Release release) {
    auto body = [lock] { enterLock(lock); leaveLock(lock); };
    ThreadHandle h = spawn(&body);
    const bool blocked = !waitThread(h, 100);
    release();
    EXPECT_TRUE(waitThread(h, 10000));
    closeThreadHandle(h);
    return blocked;
}

TEST(Lock, ReentryNeedsAsManyLeaves) {
    LockHandle lock = createLock();
    ASSERT_NE(lock, 0u);
    enterLock(lock);
    enterLock(lock);
    leaveLock(lock);

    std::atomic<bool> entered{false};
    auto body = [&] { enterLock(lock); entered = true; leaveLock(lock); };
    ThreadHandle other = spawn(&body);
    EXPECT_FALSE(waitThread(other, 100));  // still held once
    EXPECT_FALSE(entered.load());
    leaveLock(lock);
    EXPECT_TRUE(waitThread(other, 10000));
    EXPECT_TRUE(entered.load());
    closeThreadHandle(other);
    EXPECT_TRUE(deleteLock(lock));
}

TEST(Lock, UnknownHandlesAreNoLock) {
    LockHandle live = createLock();
    const LockHandle unknown[] = {0, 1, live + 1};
    for (LockHandle h : unknown) {
        enterLock(h);  // returns at once, holds nothing
        leaveLock(h);
        EXPECT_FALSE(deleteLock(h)) << h;
    }
    EXPECT_TRUE(deleteLock(live));
    EXPECT_FALSE(deleteLock(live));
    enterLock(live);  // deleted: nothing, and nothing to leave
    leaveLock(live);
}

TEST(Lock, LeaveByAThreadThatDoesNotHoldItIsIgnored) {
    LockHandle lock = createLock();
    std::atomic<bool> holding{false}, release{false};
    auto holder = [&] {
        enterLock(lock);
        holding = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        leaveLock(lock);
    };
    ThreadHandle h = spawn(&holder);
    while (!holding) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    leaveLock(lock);  // not ours: must not free the holder's lock
    auto intruder = [lock] { enterLock(lock); leaveLock(lock); };
    ThreadHandle i = spawn(&intruder);
    EXPECT_FALSE(waitThread(i, 100));
    release = true;
    EXPECT_TRUE(waitThread(h, 10000));
    EXPECT_TRUE(waitThread(i, 10000));
    closeThreadHandle(h);
    closeThreadHandle(i);
    EXPECT_TRUE(freeForOthers(lock));
    deleteLock(lock);
}

TEST(Lock, KeepsCountersExact) {
    LockHandle lock = createLock();
    long counter = 0;  // deliberately plain: ThreadSanitizer checks the exclusion
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                enterLock(lock);
                enterLock(lock);
                ++counter;
                leaveLock(lock);
                leaveLock(lock);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 6 * 2000);
    EXPECT_TRUE(deleteLock(lock));
}

// Deleted while held and waited for: the holder still leaves, the waiter
// still gets it after the holder, newcomers pass without it.
TEST(Lock, DeleteWhileHeldAndAwaited) {
    LockHandle lock = createLock();
    enterLock(lock);
    std::atomic<int> waiterState{0};
    auto waiter = [&] { enterLock(lock); waiterState = 1; leaveLock(lock); };
    ThreadHandle w = spawn(&waiter);
    EXPECT_FALSE(waitThread(w, 100));  // blocked in enterLock
    EXPECT_TRUE(deleteLock(lock));
    EXPECT_FALSE(deleteLock(lock));

    auto newcomer = [lock] { enterLock(lock); leaveLock(lock); };
    ThreadHandle n = spawn(&newcomer);
    EXPECT_TRUE(waitThread(n, 10000));  // not blocked by the held lock
    EXPECT_EQ(waiterState.load(), 0);   // and the waiter is still excluded

    enterLock(lock);  // the holder may re-enter a lock it holds
    leaveLock(lock);
    leaveLock(lock);
    EXPECT_TRUE(waitThread(w, 10000));
    EXPECT_EQ(waiterState.load(), 1);
    closeThreadHandle(w);
    closeThreadHandle(n);
}

// Many threads enter and leave (re-entering once) while another thread
// deletes the lock. While the lock lives no two of them are inside at once;
// after the deletion they run on unlocked, as monitor tasks do at shutdown.
// Under ThreadSanitizer the plain counter also proves the happens-before.
TEST(Lock, StressDeleteWhileInUse) {
    constexpr int kRounds = 25, kThreads = 8;
    for (int round = 0; round < kRounds; ++round) {
        LockHandle lock = createLock();
        std::atomic<bool> deleting{false}, stop{false};
        std::atomic<int> inside{0}, violations{0}, entries{0};
        long guarded = 0;
        long guardedExpected = 0;
        std::atomic<long> guardedCounted{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&] {
                while (!stop) {
                    enterLock(lock);
                    enterLock(lock);
                    // Read after entering: still false means the handle was
                    // live when this thread entered, so it holds the lock.
                    const bool genuine = !deleting.load();
                    if (inside.fetch_add(1) != 0 && !deleting.load()) ++violations;
                    if (genuine) {
                        ++guarded;
                        ++guardedCounted;
                    }
                    ++entries;
                    inside.fetch_sub(1);
                    leaveLock(lock);
                    leaveLock(lock);
                }
            });
        std::thread deleter([&] {
            while (entries.load() < 200) std::this_thread::yield();
            deleting = true;
            EXPECT_TRUE(deleteLock(lock));
            const int after = entries.load();
            while (entries.load() < after + 200) std::this_thread::yield();
            stop = true;
        });
        deleter.join();
        for (auto& t : threads) t.join();
        guardedExpected = guardedCounted.load();
        EXPECT_EQ(violations.load(), 0) << "round " << round;
        EXPECT_EQ(guarded, guardedExpected) << "round " << round;
        EXPECT_FALSE(deleteLock(lock));
    }
}

TEST(Lock, DeleteAllLocks) {
    LockHandle a = createLock(), b = createLock();
    deleteAllLocks();
    EXPECT_FALSE(deleteLock(a));
    EXPECT_FALSE(deleteLock(b));
    LockHandle c = createLock();  // still usable afterwards
    EXPECT_TRUE(freeForOthers(c));
    EXPECT_TRUE(deleteLock(c));
}

TEST(LockGuard, HoldsForItsScopeOnly) {
    LockHandle lock = createLock();
    {
        std::optional<LockGuard> guard(std::in_place, lock);
        EXPECT_TRUE(guard->holding());
        EXPECT_TRUE(heldAgainstOthers(lock, [&] { guard.reset(); }));
    }
    EXPECT_TRUE(freeForOthers(lock));
    EXPECT_TRUE(deleteLock(lock));
}

TEST(LockGuard, NestedGuardsNeedBothToEnd) {
    LockHandle lock = createLock();
    std::optional<LockGuard> outer(std::in_place, lock);
    {
        LockGuard inner(lock);  // re-entry by the holder
    }
    EXPECT_TRUE(heldAgainstOthers(lock, [&] { outer.reset(); }));  // outer still held it
    EXPECT_TRUE(freeForOthers(lock));
    EXPECT_TRUE(deleteLock(lock));
}

// Every way out of a guarded scope leaves the lock.
TEST(LockGuard, LeftOnEveryReturnPath) {
    LockHandle lock = createLock();
    auto guarded = [lock](int path) {
        LockGuard guard(lock);
        if (path == 0) return 0;
        for (int i = 0;; ++i)
            if (i == path) return i;
    };
    for (int path : {0, 1, 5}) {
        EXPECT_EQ(guarded(path), path);
        EXPECT_TRUE(freeForOthers(lock)) << "path " << path;
    }
    EXPECT_TRUE(deleteLock(lock));
}

TEST(LockGuard, MovedGuardLeavesOnceAndEarlyLeaveEndsIt) {
    LockHandle lock = createLock();
    {
        LockGuard first(lock);
        LockGuard second(std::move(first));
        EXPECT_FALSE(first.holding());  // NOLINT(bugprone-use-after-move): the moved-from state is the point
        EXPECT_TRUE(second.holding());
        LockGuard third(0);
        third = std::move(second);  // third held nothing: nothing to leave
        EXPECT_TRUE(heldAgainstOthers(lock, [&] { third.leave(); }));
        EXPECT_FALSE(third.holding());
        third.leave();  // a second leave does nothing
    }
    // Entered once, left once: a leave too many would have been ignored, but
    // one too few would keep it from others.
    EXPECT_TRUE(freeForOthers(lock));
    EXPECT_TRUE(deleteLock(lock));
}

// A handle that is no lock (not made yet, or deleted) guards nothing,
// as the worker's log write finds it after shutdown.
TEST(LockGuard, NoLockGuardsNothing) {
    LockHandle deleted = createLock();
    EXPECT_TRUE(deleteLock(deleted));
    for (LockHandle h : {LockHandle{0}, deleted}) {
        LockGuard guard(h);
        auto other = [h] { LockGuard g(h); };
        ThreadHandle t = spawn(&other);
        EXPECT_TRUE(waitThread(t, 10000)) << h;
        closeThreadHandle(t);
    }
}

}  // namespace
