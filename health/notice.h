// The notices the tray shows as balloons: what went into one group of
// transitions, and the title and text made of it.
//
// Any thread may call ComposeNotice (pure).
#pragma once

#include <utility>
#include <vector>

#include "runtime/text.h"

struct HostLabel {
    Text name;
    Text address;
};

// In the order a mixed notice lists them, the gravest first.
enum class NoticeKind { localDown, down, high, localUp, up, normal };

struct NoticeItem {
    NoticeItem(NoticeKind k = NoticeKind::down, HostLabel h = {}) : kind(k), host(std::move(h)) {}  // NOLINT

    NoticeKind kind;
    HostLabel host;             // per-host kinds
    int latency = 0;            // high: the latest latency, ms
    double duration = 0;        // up, normal, localUp: the episode's length, s
    int hostCount = 0;          // localDown: hosts without an answer
    std::vector<Text> stillDown;  // localUp: hosts of the episode that have not answered yet
};

struct Notice {
    Text title;
    Text text;
    bool warning = false;  // the warning icon (and sound); recoveries are information
};

// Balloon fields, in characters (the shell's fields less their zero).
constexpr std::size_t kBalloonTitleChars = 63;
constexpr std::size_t kBalloonTextChars = 255;

// One notice for a group: a line per kind, the gravest kind's title. An
// empty group gives an empty notice.
Notice ComposeNotice(const std::vector<NoticeItem>& items);
