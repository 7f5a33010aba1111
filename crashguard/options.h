// CrashGuardOptions: the one option record of a process, shared by every
// copy of the crash guard in it (published in the process registry under
// "_SEH.AppGlobalOption"), so its layout is fixed: plain words and a fixed
// text buffer, no owning members. The application only reads it.
#pragma once

#include <cstdint>

// Receives the full crash text and nine zero words; called so that either
// calling convention works (the caller restores the stack pointer itself).
using CrashCallback = int (*)(const char* text, int, int, int, int, int, int, int, int, int);

struct CrashGuardOptions {
    std::int32_t showMessageBox;
    CrashCallback crashCallback;
    std::int32_t exitFaultingThreadOnly;
    char ownerWindowClass[256];
    std::int32_t ignoreMsvcThrow;
    std::int32_t skipOuterSystemFrames;
    std::int32_t includeCallStack;
    std::int32_t outermostFirst;
    std::int32_t hijackReturnAddress;
    std::int32_t maxExportDistance;
    std::int32_t reportEnabled;   // 0: the crash filter declines everything
    std::int32_t initialised;
};

// Applies the defaults (including initialised = 1) to a record whose
// `initialised` is 0; a record already defaulted is left as it is.
void applyDefaultOptions(CrashGuardOptions& options);
