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
};

HeldHostList& program() {
    static HeldHostList list;
    return list;
}

void CALLBACK onFlushTimer(HWND, UINT, UINT_PTR, DWORD) { flushHostList(); }

// How long after the last flush the next one is due.
unsigned flushIntervalMs(const HeldHostList& p) {
    return p.view.lastRunRepaintedAll() ? kBusyListFlushMs : kHeldListFlushMs;
}

void armFlushTimer() {
    HeldHostList& p = program();
    if (!p.timer) p.timer = SetTimer(nullptr, 0, flushIntervalMs(p), onFlushTimer);
}

}  // namespace

HostList& programHostList() { return program().held; }

void flushHostList() {
    HeldHostList& p = program();
    if (p.timer) KillTimer(nullptr, std::exchange(p.timer, 0));
    p.flushedAt = GetTickCount64();
    p.held.flush();
}

void flushHostListIfDue() {
    HeldHostList& p = program();
    if (p.held.holding() && GetTickCount64() - p.flushedAt >= flushIntervalMs(p)) flushHostList();
}
