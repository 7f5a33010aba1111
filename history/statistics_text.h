// The statistics tooltip of a host row: its figures since the program
// started and since its task last started, and its current state with how
// long it has held. GBK texts, as the windows show them.
//
// Any thread may call these (they read only what they are given).
#pragma once

#include "history/host_history.h"
#include "runtime/text.h"

// "发送 3600 · 丢失 12 (0.3%) · 最小 8 ms · 平均 11 ms · 最大 240 ms · 抖动 2 ms";
// the latency figures are left out while nothing was answered.
Text statisticsLine(const LatencySummary& summary);
// "3 小时 5 分", "5 分 12 秒", "40 秒".
Text durationText(UtcSeconds seconds);
// The class name of a level, as the host dialog labels it.
Text levelName(int level);
// The whole tooltip, three lines; empty for a host with no cycle yet.
// running: whether the host's task runs now (a stopped host has no state).
Text statisticsTip(const HostHistory& host, bool running, UtcSeconds now);
