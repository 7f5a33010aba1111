// The program's host list as the status reports and the not-started rows
// write it: their writes are held (monitor/coalesced_host_list.h) and reach
// the list view together, the newest value of each cell, at most
// kHeldListFlushMs (kBusyListFlushMs) after they were made. A report a
// second per host is all a row shows, so a fifth of a second later is not
// seen; what it saves is the list's repaint requests, which with thousands
// of hosts were most of the window's time.
//
// Threads: the user-interface thread only.
#pragma once

#include "monitor/host_list.h"

// Until a flush: five times a second; twice a second after a flush that
// changed so many cells that it repainted every row in sight (many rows of
// a long list changing): under Wine with thousands of tasks those repaints
// were most of the window's time.
constexpr unsigned kHeldListFlushMs = 200;
constexpr unsigned kBusyListFlushMs = 500;

HostList& programHostList();

// After each report: the held writes go to the list when they are due. A
// timer flushes them too, but its message comes only once no posted message
// waits, which with thousands of hosts reporting may be never.
void flushHostListIfDue();
// Every held write goes to the list now.
void flushHostList();
