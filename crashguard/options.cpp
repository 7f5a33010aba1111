#include "crashguard/options.h"

#include <cstring>

void applyDefaultOptions(CrashGuardOptions& o) {
    if (o.initialised != 0) return;
    o.showMessageBox = 1;
    o.crashCallback = nullptr;
    o.exitFaultingThreadOnly = 0;
    std::memset(o.ownerWindowClass, 0, sizeof o.ownerWindowClass);
    std::strcpy(o.ownerWindowClass, "Afx:10000000:b:10011:1900015:0");
    o.ignoreMsvcThrow = 1;
    o.skipOuterSystemFrames = 1;
    o.includeCallStack = 1;
    o.outermostFirst = 0;
    o.hijackReturnAddress = 1;
    o.maxExportDistance = 4096;
    o.reportEnabled = 0;
    o.initialised = 1;
}
