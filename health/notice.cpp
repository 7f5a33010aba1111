#include "health/notice.h"

#include <string>

#include "health/health_text.h"

namespace {

const char* const kListSeparator = "、";

Text number(long v) { return Text(std::to_string(v)); }

Text labelled(const HostLabel& host) { return host.name + "（" + host.address + "）"; }

Text joined(const std::vector<Text>& parts) {
    Text out;
    for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? Text(kListSeparator) : Text()) + parts[i];
    return out;
}

const char* titleOf(NoticeKind kind) {
    switch (kind) {
    case NoticeKind::localDown: return "本地网络中断";
    case NoticeKind::down: return "主机中断";
    case NoticeKind::high: return "延迟过高";
    case NoticeKind::localUp: return "本地网络已恢复";
    case NoticeKind::up: return "主机恢复";
    case NoticeKind::normal: break;
    }
    return "延迟恢复";
}

bool isWarning(NoticeKind kind) {
    return kind == NoticeKind::localDown || kind == NoticeKind::down || kind == NoticeKind::high;
}

// One host: its name and address and what happened; several: how many and
// each name with its detail.
Text lineOf(NoticeKind kind, const std::vector<const NoticeItem*>& items) {
    const NoticeItem& one = *items.front();
    if (kind == NoticeKind::localDown)
        return "本地网络中断，" + number(one.hostCount) + " 台主机均无应答";
    if (kind == NoticeKind::localUp) {
        Text line = "本地网络已恢复，中断 " + FormatDuration(one.duration);
        if (!one.stillDown.empty()) line += "；仍中断：" + joined(one.stillDown);
        return line;
    }
    const Text title = titleOf(kind);
    if (items.size() == 1) {
        switch (kind) {
        case NoticeKind::up: return title + "：" + labelled(one.host) + "，中断 " + FormatDuration(one.duration);
        case NoticeKind::high: return title + "：" + labelled(one.host) + "，" + number(one.latency) + " ms";
        case NoticeKind::normal:
            return title + "：" + labelled(one.host) + "，持续 " + FormatDuration(one.duration);
        default: return title + "：" + labelled(one.host);
        }
    }
    std::vector<Text> names;
    for (const NoticeItem* item : items) {
        switch (kind) {
        case NoticeKind::up: names.push_back(item->host.name + "（" + FormatDuration(item->duration) + "）"); break;
        case NoticeKind::high: names.push_back(item->host.name + " " + number(item->latency) + " ms"); break;
        default: names.push_back(item->host.name); break;
        }
    }
    return number(static_cast<long>(items.size())) + " 台" + title + "：" + joined(names);
}

}  // namespace

Notice ComposeNotice(const std::vector<NoticeItem>& items) {
    Notice notice;
    constexpr NoticeKind kOrder[] = {NoticeKind::localDown, NoticeKind::down, NoticeKind::high,
                                     NoticeKind::localUp, NoticeKind::up, NoticeKind::normal};
    Text text;
    for (NoticeKind kind : kOrder) {
        std::vector<const NoticeItem*> ofKind;
        for (const NoticeItem& item : items)
            if (item.kind == kind) ofKind.push_back(&item);
        if (ofKind.empty()) continue;
        if (notice.title.empty()) notice.title = titleOf(kind);
        notice.warning = notice.warning || isWarning(kind);
        text += (text.empty() ? Text() : Text("\n")) + lineOf(kind, ofKind);
    }
    notice.title = CutToCharacters(notice.title, kBalloonTitleChars);
    notice.text = CutToCharacters(text, kBalloonTextChars);
    return notice;
}
