// Thread commands. Any thread may call them.
//
// A thread handle is an integer the caller owns once startThread hands it
// out: close it with closeThreadHandle (it is never closed for you). Windows:
// the CreateThread handle. POSIX: a number in a process-wide table of live
// handles, so a forged or closed handle is refused as Windows refuses it.
#pragma once

#include <cstdint>

using ThreadHandle = std::uintptr_t;

// The thread's body: gets startThread's argument, returns the exit code.
using ThreadRoutine = int (*)(std::uintptr_t argument);

// Starts routine(argument) in a new thread. The Windows thread reserves a
// 256 KB stack, not the 1 MB default: the process is 32-bit and runs one
// thread per watched host, and a few hundred default reservations would use
// up its 2 GB of address space. Under Wine every thread costs 2 MB of address
// space whatever it asks (a stack of at least 1 MB and 1 MB for its Unix
// side), so a large-address-aware process holds about 1,900 threads; the
// Windows start is refused while less than 64 MB of contiguous address space
// is free, so that running out shows here, where the caller handles it, and
// not as a failed allocation in whatever code needs memory next (Wine's ICMP
// echo, for one, writes through it). With `handle` given, the new thread's handle
// is stored there (0 when the start failed) and belongs to the caller;
// without it the handle is closed at once. True when the thread was created.
bool startThread(ThreadRoutine routine, std::uintptr_t argument = 0, ThreadHandle* handle = nullptr);

// Closes a handle from startThread; the thread itself runs on. False for an
// invalid or already closed handle.
bool closeThreadHandle(ThreadHandle handle);

// Waits until the thread of `handle` has ended, at most timeoutMs
// milliseconds (-1: no limit). True when it has ended; false on timeout or
// for an invalid handle. The handle stays open.
bool waitThread(ThreadHandle handle, int timeoutMs);

// The calling thread's system id (never 0).
std::uintptr_t currentThreadId();

// The calling thread gives way to threads of normal priority whenever both
// are ready to run: for many threads that mostly wait, such as the monitor
// tasks, so that the window's thread is never queued behind them on a busy
// processor. Their waits and timeouts are unchanged.
void lowerCurrentThreadPriority();
