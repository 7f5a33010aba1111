// Protection of every thread the process creates for itself: the system's
// thread creation is redirected so that each new thread of this process
// starts in a generated wrapper, which links a guard record at the base of
// the thread, runs the given start routine with its parameter, cleans the
// thread's crash-guard state up and returns the routine's result as the
// exit code. Threads created in other processes pass through unchanged.
//
// hookThreadCreation() runs once per process during start-up, before the
// program starts threads (patching an entry is not atomic). The hook stays
// until the process ends; at a normal end the hook object is neutralised.
#pragma once

#include <cstdint>

// What the wrapper receives instead of the routine's parameter (8 bytes of
// fixed GlobalAlloc memory, freed by onThreadExit).
struct StartBlock {
    std::uint32_t startRoutine;
    std::uint32_t parameter;
};

// Hooks "CreateRemoteThreadEx" of kernelbase, else "CreateRemoteThread" of
// kernel32, and sets "_SEH.createThread.hook" to 1 when one is in place.
// Returns whether a hook is in place (also when another copy placed it).
bool hookThreadCreation();

// The generated thread start wrapper (0 before hookThreadCreation): a
// stdcall routine of one argument, the StartBlock, that keeps the callee-saved
// registers of its caller.
std::uint32_t threadStartWrapper();

// Unlinks the wrapper's guard record and destroys the thread's
// ThreadContext, CallStack and ThreadStrMap, then frees the block.
extern "C" void __stdcall onThreadExit(StartBlock* block);
