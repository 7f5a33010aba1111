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
    unsigned dueAfterMs = kHeldListFlushMs;  // from flushedAt
    UINT_PTR timer = 0;
};

HeldHostList& program() {
    static HeldHostList list;
    return list;
}

void CALLBACK onFlushTimer(HWND, UINT, UINT_PTR, DWORD) { flushHostList(); }

void armFlushTimer() {
    HeldHostList& p = program();
    if (!p.timer) p.timer = SetTimer(nullptr, 0, p.dueAfterMs, onFlushTimer);
}

}  // namespace

HostList& programHostList() { return program().held; }

void flushHostList() {
    HeldHostList& p = program();
    if (p.timer) KillTimer(nullptr, std::exchange(p.timer, 0));
    p.flushedAt = GetTickCount64();
    p.held.flush();
    p.dueAfterMs = p.view.lastRunRepaintedAll() ? kBusyListFlushMs : kHeldListFlushMs;
}

void flushHostListIfDue() {
    HeldHostList& p = program();
    if (p.held.holding() && GetTickCount64() - p.flushedAt >= p.dueAfterMs) flushHostList();
}
