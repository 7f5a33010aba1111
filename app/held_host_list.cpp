#include "app/held_host_list.h"

#include <windows.h>

#include <utility>

#include "monitor/coalesced_host_list.h"
#include "ui/host_list_view.h"

namespace {

void armFlushTimer();

struct HeldHostList {
    HostListView view;  // keeps the rows it found between flushes
    CoalescedHostList held{view, armFlushTimer};
    ULONGLONG flushedAt = 0;
    UINT_PTR timer = 0;
    bool inParts = false;  // a flush in parts has begun and hosts are left
};

HeldHostList& program() {
    static HeldHostList list;
    return list;
}

void flushPart();

void CALLBACK onFlushTimer(HWND, UINT, UINT_PTR, DWORD) { flushPart(); }

void armFlushTimer() {
    HeldHostList& p = program();
    if (!p.timer) p.timer = SetTimer(nullptr, 0, kHeldListFlushMs, onFlushTimer);
}

// The next part of a flush: the hosts held longest. The timer stays armed
// while hosts are left, so that a quiet window finishes the flush too.
void flushPart() {
    HeldHostList& p = program();
    if (!p.inParts) p.flushedAt = GetTickCount64();
    p.held.flush(kMostHostsPerFlush);
    p.inParts = p.held.holding();
    if (p.inParts) return armFlushTimer();
    if (p.timer) KillTimer(nullptr, std::exchange(p.timer, 0));
}

}  // namespace

HostList& programHostList() { return program().held; }

void flushHostList() {
    HeldHostList& p = program();
    if (p.timer) KillTimer(nullptr, std::exchange(p.timer, 0));
    p.flushedAt = GetTickCount64();
    p.inParts = false;
    p.held.flush();
}

void flushHostListIfDue() {
    HeldHostList& p = program();
    if (p.held.holding() && (p.inParts || GetTickCount64() - p.flushedAt >= kHeldListFlushMs)) flushPart();
}
