#include "history/statistics_text.h"

#include <string>

namespace {

constexpr const char* kSeparator = " · ";

Text number(std::int64_t n) { return Text(std::to_string(n).c_str()); }

Text latencyPart(const char* label, const std::optional<int>& ms) {
    return Text(kSeparator) + label + " " + number(*ms) + " ms";
}

}  // namespace

Text statisticsLine(const LatencySummary& s) {
    const int permille = s.lossPermille();
    Text line = Text("发送 ") + number(s.sent()) + kSeparator + "丢失 " + number(s.lost()) + " (" +
                number(permille / 10) + "." + number(permille % 10) + "%)";
    if (s.answered()) {
        line += latencyPart("最小", s.min());
        line += latencyPart("平均", s.average());
        line += latencyPart("最大", s.max());
    }
    if (s.jitter()) line += latencyPart("抖动", s.jitter());
    return line;
}

Text durationText(UtcSeconds seconds) {
    if (seconds < 0) seconds = 0;
    const std::int64_t h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h) return number(h) + " 小时 " + number(m) + " 分";
    if (m) return number(m) + " 分 " + number(s) + " 秒";
    return number(s) + " 秒";
}

Text levelName(int level) {
    switch (level) {
    case 0:
    case 1: return "网络良好";
    case 2: return "网络正常";
    case 3: return "网络异常";
    default: return "连接超时";
    }
}

Text statisticsTip(const HostHistory& host, bool running, UtcSeconds now) {
    if (host.sinceProgramStart().sent() == 0) return Text();
    Text tip = Text("程序启动以来：") + statisticsLine(host.sinceProgramStart()) + "\r\n";
    tip += Text("本次启动以来：") + statisticsLine(host.sinceTaskStart()) + "\r\n";
    if (!running)
        tip += Text("当前：已停止");
    else if (host.level() < 0)
        tip += Text("当前：等待检测结果");
    else
        tip += Text("当前：") + levelName(host.level()) + "，已持续 " + durationText(now - host.levelSince());
    return tip;
}
