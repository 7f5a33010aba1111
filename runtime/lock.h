// Lock commands: re-entrant locks named by integer handles. Any thread may
// call them, also concurrently on the same lock.
//
// Every live lock is in a process-wide registry; a handle that is not in it
// (0, forged, deleted) is no lock at all: enterLock and leaveLock do nothing.
// A thread may enter a lock it holds and must leave it as often as it
// entered it; leaveLock by a thread that does not hold the lock does nothing.
//
// deleteLock is safe while other threads use the lock: the handle leaves the
// registry at once (later enterLock calls do nothing and run unlocked, as a
// monitor task's log write after shutdown does), while threads already
// holding or waiting for the lock keep their mutual exclusion and still
// leave it; the lock's memory is released when the last of them has left.
#pragma once

#include <cstdint>

using LockHandle = std::uintptr_t;

// A new lock, or 0 when no memory was left.
LockHandle createLock();

// True when `lock` was live and is now deleted; false otherwise.
bool deleteLock(LockHandle lock);

// Blocks until the calling thread holds `lock`.
void enterLock(LockHandle lock);

void leaveLock(LockHandle lock);

// Deletes every lock still live; for the end of the program.
void deleteAllLocks();

// How many locks are live (created and not deleted).
int liveLockCount();
