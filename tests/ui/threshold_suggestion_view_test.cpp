// "建议阈值" in the real host dialog: disabled with its tip without history
// enough, enabled with it; a click's filling of the four boxes and the line
// under them; the dialog's own controls where they were.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "runtime/win32/window_commands.h"
#include <cstdlib>

#include "tests/ui/screen_capture.h"
#include "tests/ui/ui_test_support.h"
#include "ui/host_dialog.h"
#include "ui/threshold_suggestion_view.h"

namespace {

using namespace HostDlg;

HWND unitHandle(int unit) { return windowHandle(unitOf(hostDialog(), unit)); }
Text content(int unit) { return std::get<Text>(getProperty(unitOf(hostDialog(), unit), Property::Content)); }

struct TipSearch {
    HWND dialog;
    int tools = 0;
};

BOOL CALLBACK countTools(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<TipSearch*>(lp);
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (GetWindow(w, GW_OWNER) == s->dialog && lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0)
        s->tools += static_cast<int>(SendMessageW(w, TTM_GETTOOLCOUNT, 0, 0));
    return TRUE;
}

// The tools of the tooltips the dialog owns.
int tipTools() {
    TipSearch search{windowHandle(unitOf(hostDialog()))};
    EnumThreadWindows(GetCurrentThreadId(), countTools, reinterpret_cast<LPARAM>(&search));
    return search.tools;
}

class SuggestionViewTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loadWindow(hostDialog())); }
    void TearDown() override { unload(hostDialog()); }
};

TEST_F(SuggestionViewTest, DisabledWithItsTipUntilThereIsHistoryEnough) {
    showSuggestionButton(std::nullopt);
    EXPECT_FALSE(IsWindowEnabled(unitHandle(按钮_建议阈值)));
    EXPECT_EQ(tipTools(), 1);
    ThresholdSuggestion s;
    s.time = {250, 375, 500, 1000};
    s.coveredSeconds = 3 * 3600;
    showSuggestionButton(s);
    EXPECT_TRUE(IsWindowEnabled(unitHandle(按钮_建议阈值)));
    EXPECT_EQ(tipTools(), 0) << "an enabled button needs no excuse";
    showSuggestionButton(std::nullopt);
    EXPECT_EQ(tipTools(), 1) << "one tip, not one per opening";
}

TEST_F(SuggestionViewTest, FillsTheBoxesAndSaysWhatTheyAreBasedOn) {
    ThresholdSuggestion s;
    s.time = {250, 375, 500, 1000};
    s.coveredSeconds = 26 * 3600 + 1800;
    showSuggestionButton(s);
    EXPECT_EQ(content(标签_建议依据), Text(""));
    fillSuggestedThresholds(s);
    EXPECT_EQ(content(编辑框_网络良好), Text("250"));
    EXPECT_EQ(content(编辑框_网络正常), Text("375"));
    EXPECT_EQ(content(编辑框_网络异常), Text("500"));
    EXPECT_EQ(content(编辑框_网络超时), Text("1000"));
    EXPECT_EQ(content(标签_建议依据), Text("依据近 7 天中 26 小时的记录"));
    if (const char* shots = std::getenv("QERNO_UI_SHOTS")) {
        pump();
        RedrawWindow(windowHandle(unitOf(hostDialog())), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Capture(windowHandle(unitOf(hostDialog()))).save(shotPath(shots, "host-dialog-suggestion"));
    }
}

TEST_F(SuggestionViewTest, FitsBesideTheColourButtonsWithoutCoveringAnything) {
    const Box button = childBox(unitHandle(按钮_建议阈值));
    const Box picker = childBox(unitHandle(颜色选择器_网络良好));
    RECT client{};
    GetClientRect(windowHandle(unitOf(hostDialog())), &client);
    EXPECT_GE(button.left, picker.left + picker.width);
    EXPECT_LE(button.left + button.width, client.right) << "inside the dialog";
    const Box line = childBox(unitHandle(标签_建议依据));
    const Box ok = childBox(unitHandle(按钮1));
    const Box check = childBox(unitHandle(选择框1));
    EXPECT_LE(line.left + line.width, ok.left) << "left of 确 定";
    EXPECT_GE(line.top, check.top + check.height) << "under 记录日志";
    EXPECT_LE(line.top + line.height, client.bottom);
}

}  // namespace
