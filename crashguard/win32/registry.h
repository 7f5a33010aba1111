// The crash guard's process-wide and per-thread state.
//
// processStrMap(): one registry per process, shared by every copy of the
// crash guard in it, found through the environment variable
// "__processStrMap_<pid>" (its decimal address). Never freed.
// threadStrMap(): the calling thread's registry in a TLS slot whose index
// + 1 is kept under "__threadStrMap" (0 reads as "no slot yet").
// crashGuardOptions(): the shared option record under "_SEH.AppGlobalOption",
// created zero-filled and defaulted by the first copy that asks.
// threadContext(): the calling thread's ThreadContext, created on first use.
//
// Any thread may call these; each thread sees only its own thread state.
#pragma once

#include "crashguard/options.h"
#include "crashguard/str_map.h"
#include "crashguard/thread_context.h"

StrMap& processStrMap();
StrMap& threadStrMap();
CrashGuardOptions& crashGuardOptions();
// Whole-record copy and replacement (the application uses neither).
CrashGuardOptions copyCrashGuardOptions();
void setCrashGuardOptions(const CrashGuardOptions& options);
ThreadContext& threadContext();
ThreadContext* findThreadContext();  // nullptr when this thread has none

// Thread-exit cleanup (see onThreadExit): each is a no-op when absent.
void destroyThreadContext();
void destroyThreadStrMap();

// A TLS index registered in the process registry under `key` as index + 1,
// allocated by the first caller (serialised between threads). 0 when
// TlsAlloc fails; the returned value is the index + 1.
unsigned long sharedTlsSlot(const char* key);
