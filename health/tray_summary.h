// What the tray shows of the hosts' health: which picture (the worst state)
// and the tip's counts and the down hosts' names.
//
// Any thread may call TrayTip (pure).
#pragma once

#include <vector>

#include "runtime/text.h"

// Best to worst; the picture of the worst state any running host is in.
enum class TrayLevel { idle, normal, high, down };  // idle: no host is running

struct TraySummary {
    TrayLevel level = TrayLevel::idle;
    int normal = 0;   // up (or waiting for a first answer) and not high
    int high = 0;     // high latency and not down
    int down = 0;
    std::vector<Text> downNames;  // in host-id order

    friend bool operator==(const TraySummary& a, const TraySummary& b) {
        return a.level == b.level && a.normal == b.normal && a.high == b.high && a.down == b.down &&
               a.downNames == b.downNames;
    }
    friend bool operator!=(const TraySummary& a, const TraySummary& b) { return !(a == b); }
};

constexpr std::size_t kTrayTipChars = 127;
// "Qerno网络检测" and a second line "正常 12 · 延迟高 1 · 中断 2：办公网关、…":
// as many down names as the tip holds, "…" when some are left out.
Text TrayTip(const TraySummary& summary);
