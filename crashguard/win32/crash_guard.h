// Putting the crash guard in place, for the program's entry routine.
//
//   installCrashGuard();                      // once, among the module initialisers
//   EntryGuard guard;                         // in the entry routine itself
//
// installCrashGuard hooks thread creation (every later thread of the process
// starts behind a guard record), creates the shared options and this
// thread's context, and marks this module as installed. The guard record of
// the calling thread is an EntryGuard local of the entry routine, so that it
// covers everything the routine does afterwards, the message loop included,
// and is unlinked when the routine returns.
//
// Single-threaded start-up only; neither throws.
#pragma once

#include <cstdint>

#include "crashguard/win32/guard_frame.h"

// False when it already ran for this module (a second call does nothing).
bool installCrashGuard();

// The base of the module this code is linked into (0 when not found).
std::uint32_t ownModuleBase();

class EntryGuard {
public:
    EntryGuard();
    EntryGuard(const EntryGuard&) = delete;
    EntryGuard& operator=(const EntryGuard&) = delete;

private:
    GuardFrame frame_;
};
