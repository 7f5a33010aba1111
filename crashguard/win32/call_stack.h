// Call-stack recording: a routine registers itself by name in its thread's
// list of active routines; the crash report names stack frames after it.
//
// Every recorded routine must be noinline and keep a standard EBP frame
// (saved EBP at EBP, return address at EBP+4); the win32 build compiles with
// -fno-omit-frame-pointer for that reason.
//
// Hijack mode (the default option): pushCallFrame replaces the target's
// return address by the pop thunk, which removes the entry when the routine
// returns and then continues at the real return address with every register
// as the routine left it. A routine left by a C++ exception or ExitThread
// keeps its entry until the thread ends; a C++ exception must not leave a
// hijacked routine (the unwinder cannot step through the thunk), and nothing
// in this program throws.
//
// Without hijack mode, entries are pruned when a later push finds them at a
// lower stack depth (their routines have returned).
//
// Only the calling thread's list is touched; any thread may record.
#pragma once

#include <cstdint>

#include "crashguard/stack_analysis.h"
#include "runtime/text.h"

// Records the routine `level` frames above the caller (0: the caller) under
// `name`; the mode comes from the option hijackReturnAddress. Returns false
// (recording nothing) for a level beyond the thread's frame chain or a
// frame without an executable return address.
bool pushCallFrame(const Text& name, int level);
// The same with the mode given (the install routine always hijacks).
bool pushCallFrameMode(const Text& name, int level, bool hijack);

// Removes the newest entry and returns its return address (0 when empty).
// Called only by the pop thunk.
extern "C" std::uint32_t popCallFrame();

// The pop thunk of this process (generated once, shared by every copy of the
// crash guard through the process registry); 0 when it could not be made.
std::uint32_t popThunk();

// Copies the calling thread's list, oldest first; returns the count.
// Allocates nothing (crash path).
int copyCallStack(RecordedFrame* out, int capacity);
int callStackDepth();

// Thread-exit cleanup.
void destroyCallStack();
