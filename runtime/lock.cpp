#include "runtime/lock.h"

#include <atomic>
#include <mutex>
#include <new>
#include <unordered_set>

#include "runtime/critical_section.h"
#include "runtime/thread.h"

namespace {

// One lock's block; its address is the lock handle.
struct LockRecord {
    CriticalSection cs;
    std::atomic<std::uintptr_t> owner{0};  // thread id of the holder, 0 when free
    int depth = 0;                         // the holder's entries; only the holder touches it
    int users = 0;                         // holders and waiters (registry mutex)
    bool deleted = false;                  // deleteLock ran; freed when users drops to 0
};

// Never destroyed: threads may still call the lock commands while the
// process runs its static destructors.
struct Registry {
    std::mutex mutex;
    std::unordered_set<LockRecord*> records;  // live and deleted-but-in-use
};

Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

LockRecord* find(Registry& r, LockHandle lock) {
    auto it = r.records.find(reinterpret_cast<LockRecord*>(lock));
    return it == r.records.end() ? nullptr : *it;
}

// Registry mutex held.
void release(Registry& r, LockRecord* record) {
    r.records.erase(record);
    delete record;
}

}  // namespace

LockHandle createLock() {
    auto* record = new (std::nothrow) LockRecord;
    if (!record) return 0;
    if (!record->cs.valid()) {
        delete record;
        return 0;
    }
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    try {
        r.records.insert(record);
    } catch (const std::bad_alloc&) {
        delete record;
        return 0;
    }
    return reinterpret_cast<LockHandle>(record);
}

bool deleteLock(LockHandle lock) {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    LockRecord* record = find(r, lock);
    if (!record || record->deleted) return false;
    record->deleted = true;
    if (record->users == 0) release(r, record);
    return true;
}

void enterLock(LockHandle lock) {
    const std::uintptr_t self = currentThreadId();
    LockRecord* record;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> guard(r.mutex);
        record = find(r, lock);
        if (!record) return;
        // After deletion only the holder may enter again (it will leave again).
        if (record->deleted && record->owner.load() != self) return;
        ++record->users;  // keeps the block alive while this thread waits
    }
    record->cs.enter();
    record->owner.store(self);
    ++record->depth;
}

void leaveLock(LockHandle lock) {
    const std::uintptr_t self = currentThreadId();
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    LockRecord* record = find(r, lock);
    // Leaving a critical section one does not hold corrupts it: ignore.
    if (!record || record->owner.load() != self) return;
    if (--record->depth == 0) record->owner.store(0);
    record->cs.leave();
    if (--record->users == 0 && record->deleted) release(r, record);
}

void deleteAllLocks() {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    for (auto it = r.records.begin(); it != r.records.end();) {
        LockRecord* record = *it;
        record->deleted = true;
        if (record->users == 0) {
            it = r.records.erase(it);
            delete record;
        } else {
            ++it;
        }
    }
}

int liveLockCount() {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    int live = 0;
    for (const LockRecord* record : r.records) live += record->deleted ? 0 : 1;
    return live;
}
