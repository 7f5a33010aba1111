// The program's host list as the status reports and the not-started rows
// write it: their writes are held (monitor/coalesced_host_list.h) and reach
// the list view together, the newest value of each cell, at most
// kHeldListFlushMs after they were made. A report a second per host is all
// a row shows, so a fifth of a second later is not seen; what it saves is
// the list's repaint requests, which with thousands of hosts were most of
// the window's time.
//
// Threads: the user-interface thread only.
#pragma once

#include <cstddef>

#include "monitor/host_list.h"

// Until a flush: five times a second.
constexpr unsigned kHeldListFlushMs = 200;
// Written to the list at one go at most: with thousands of hosts changing
// every cell, a flush of all of them kept the window from its queue for
// most of a second under Wine. A flush in parts goes on after each report
// message and on the timer until no host is left; the hosts held longest go
// first, and a host's newest values are what it shows when its turn comes.
constexpr std::size_t kMostHostsPerFlush = 64;

HostList& programHostList();

// After each report message: the held writes go to the list when they are
// due, kMostHostsPerFlush hosts at a time. A timer flushes them too, but
// its message comes only once no posted message waits, which with
// thousands of hosts reporting may be seldom.
void flushHostListIfDue();
// Every held write goes to the list now.
void flushHostList();
