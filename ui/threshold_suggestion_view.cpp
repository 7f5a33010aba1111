#include "ui/threshold_suggestion_view.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "runtime/codepage.h"
#include "runtime/win32/window_commands.h"
#include "store/host_record.h"
#include "ui/host_dialog.h"

namespace {

using namespace HostDlg;

constexpr int kSecondsPerHour = 3600;
constexpr UINT_PTR kTipToolId = 1;
const int kBoxes[kHostClasses] = {编辑框_网络良好, 编辑框_网络正常, 编辑框_网络异常, 编辑框_网络超时};

HWND dialogHandle() { return windowHandle(unitOf(hostDialog())); }
HWND unitHandle(int unit) { return windowHandle(unitOf(hostDialog(), unit)); }

// The tip of the disabled button. A disabled control gets no mouse
// messages, so the tool is the button's rectangle on the dialog itself.
// The tooltip is owned by the dialog and goes with it; one per dialog.
struct DisabledTip {
    HWND dialog = nullptr;
    HWND tip = nullptr;

    TOOLINFOW tool() const {
        TOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_SUBCLASS;
        ti.hwnd = dialog;
        ti.uId = kTipToolId;
        return ti;
    }
    void set(bool shown) {
        HWND d = dialogHandle();
        if (d != dialog || !IsWindow(tip)) {
            dialog = d;
            tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, d, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        }
        if (!tip) return;
        TOOLINFOW ti = tool();
        SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        if (!shown) return;
        const std::wstring text = toWide(Text("历史数据不足，至少需要 1 小时"));
        ti.lpszText = const_cast<wchar_t*>(text.c_str());
        GetWindowRect(unitHandle(按钮_建议阈值), &ti.rect);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&ti.rect), 2);
        SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
};

DisabledTip& disabledTip() {
    static DisabledTip tip;
    return tip;
}

}  // namespace

void showSuggestionButton(const std::optional<ThresholdSuggestion>& suggestion) {
    EnableWindow(unitHandle(按钮_建议阈值), suggestion ? TRUE : FALSE);
    disabledTip().set(!suggestion);
    setProperty(unitOf(hostDialog(), 标签_建议依据), Property::Content, Text());
}

void fillSuggestedThresholds(const ThresholdSuggestion& suggestion) {
    for (int i = 0; i < kHostClasses; ++i)
        setProperty(unitOf(hostDialog(), kBoxes[i]), Property::Content, Text(std::to_string(suggestion.time[i])));
    const Text basis("依据近 7 天中 " + std::to_string(suggestion.coveredSeconds / kSecondsPerHour) + " 小时的记录");
    setProperty(unitOf(hostDialog(), 标签_建议依据), Property::Content, basis);
}
