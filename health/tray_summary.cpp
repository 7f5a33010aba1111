#include "health/tray_summary.h"

#include <string>

#include "health/health_text.h"

namespace {

const char* const kProgramTitle = "Qerno网络检测";
const char* const kNoHostRunning = "没有运行的主机";

Text number(int v) { return Text(std::to_string(v)); }

}  // namespace

Text TrayTip(const TraySummary& s) {
    Text tip = Text(kProgramTitle) + "\n";
    if (s.level == TrayLevel::idle) return tip + kNoHostRunning;
    tip += "正常 " + number(s.normal) + " · 延迟高 " + number(s.high) + " · 中断 " + number(s.down);
    if (s.downNames.empty()) return tip;
    tip += "：";
    // Whole names only: a name cut short could read as another host's.
    for (std::size_t i = 0; i < s.downNames.size(); ++i) {
        const Text next = tip + (i ? "、" : "") + s.downNames[i];
        const bool last = i + 1 == s.downNames.size();
        // Room for "、…" after this name unless it is the last one.
        if (CharacterCount(next) + (last ? 0 : 2) > kTrayTipChars) return tip + (i ? "、…" : "…");
        tip = next;
    }
    return tip;
}
