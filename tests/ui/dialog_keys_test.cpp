// The dialog keys on the program's real windows: key presses posted to the
// focused control and taken from the queue the way the program's message
// loop takes them (processMessage, with its filter).
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "runtime/win32/dialog_keys.h"
#include "runtime/win32/program.h"
#include "runtime/win32/window_commands.h"
#include "ui/about_window.h"
#include "ui/host_dialog.h"
#include "ui/main_window.h"
#include "ui/ui_state.h"
#include "ui_test_support.h"

namespace {

void pumpProgram() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) processMessage(msg);
}

void pressKey(WPARAM key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
    pumpProgram();
}

// Shift held (as GetKeyState sees it) while it lives.
class ShiftHeld {
public:
    ShiftHeld() {
        GetKeyboardState(saved_);
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = 0x80;
        SetKeyboardState(keys);
    }
    ~ShiftHeld() { SetKeyboardState(saved_); }

private:
    BYTE saved_[256];
};

class DialogKeysTest : public testing::Test {
protected:
    void TearDown() override {
        for (Window* w : {&hostDialog(), &aboutWindow(), &mainWindow()})
            if (w->loaded()) unload(*w);
    }

    // The unit of the host dialog that has the focus; 0 when none has.
    int focusedUnit() {
        for (int unit = 1; unit <= hostDialog().layout().controlCount; ++unit)
            if (hostDialog().unitHandle(unit) == GetFocus()) return unit;
        return 0;
    }

    UiState state;
};

TEST_F(DialogKeysTest, TabAndShiftTabWalkTheTabStopsInCreationOrder) {
    using namespace HostDlg;
    ASSERT_TRUE(loadWindow(hostDialog()));
    SetFocus(hostDialog().unitHandle(编辑框_备注名称));
    // Labels are no tab stops and 选择框2 is hidden; the walk wraps around.
    const std::vector<int> forward = {编辑框_通讯地址, 编辑框_网络良好, 颜色选择器_网络良好, 编辑框_网络正常,
                                      颜色选择器_网络正常, 编辑框_网络异常, 颜色选择器_网络异常, 编辑框_网络超时,
                                      颜色选择器_网络超时, 选择框1, 按钮1, 按钮_建议阈值, 编辑框_备注名称};
    std::vector<int> walked;
    for (size_t i = 0; i < forward.size(); ++i) {
        pressKey(VK_TAB);
        walked.push_back(focusedUnit());
    }
    EXPECT_EQ(walked, forward);
    {
        ShiftHeld shift;
        pressKey(VK_TAB);
        EXPECT_EQ(focusedUnit(), 按钮_建议阈值);
        pressKey(VK_TAB);
        EXPECT_EQ(focusedUnit(), 按钮1);
    }
    // A disabled control is passed over; an edit reached by Tab has its text
    // selected, as in a dialog box.
    SetFocus(hostDialog().unitHandle(编辑框_备注名称));
    EnableWindow(hostDialog().unitHandle(编辑框_通讯地址), FALSE);
    pressKey(VK_TAB);
    EXPECT_EQ(focusedUnit(), 编辑框_网络良好);
    DWORD from = 9, to = 9;
    SendMessageW(GetFocus(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 2u);  // "30"
}

TEST_F(DialogKeysTest, EnterPressesTheDefaultButtonWhereverTheFocusIs) {
    using namespace HostDlg;
    int saves = 0;
    uiActions().saveHost = [&] { ++saves; };
    ASSERT_TRUE(loadWindow(hostDialog()));
    EXPECT_NE(GetWindowLongPtrW(hostDialog().unitHandle(按钮1), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);
    for (int unit : {编辑框_备注名称, 编辑框_网络超时, 颜色选择器_网络良好, 选择框1}) {
        SetFocus(hostDialog().unitHandle(unit));
        pressKey(VK_RETURN);
    }
    EXPECT_EQ(saves, 4);
    // A default button that cannot be pressed is not pressed by Enter either.
    EnableWindow(hostDialog().unitHandle(按钮1), FALSE);
    SetFocus(hostDialog().unitHandle(编辑框_备注名称));
    pressKey(VK_RETURN);
    EXPECT_EQ(saves, 4);
}

TEST_F(DialogKeysTest, EnterInTheAboutWindowClosesIt) {
    ASSERT_TRUE(loadWindow(aboutWindow()));
    SetFocus(aboutWindow().unitHandle(AboutWin::按钮_确认));
    pressKey(VK_RETURN);
    pumpProgram();
    EXPECT_FALSE(aboutWindow().loaded());
}

TEST_F(DialogKeysTest, EscClosesTheHostDialogButNotTheMainWindow) {
    ASSERT_TRUE(loadWindow(mainWindow()));
    ASSERT_TRUE(loadWindow(hostDialog(), &mainWindow()));
    SetFocus(hostDialog().unitHandle(HostDlg::编辑框_通讯地址));
    pressKey(VK_ESCAPE);
    pumpProgram();
    EXPECT_FALSE(hostDialog().loaded());

    SetFocus(mainWindow().unitHandle(MainWin::超级列表框_通讯));
    MSG esc{GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_FALSE(handleDialogKey(esc));  // left to the list
    pressKey(VK_ESCAPE);
    pumpProgram();
    EXPECT_TRUE(mainWindow().loaded());
}

// The main window names no default button: Enter goes to the control as it
// would without the filter, and no action runs.
TEST_F(DialogKeysTest, EnterWithoutADefaultButtonIsLeftToTheControl) {
    int ran = 0;
    uiActions().editHost = [&] { ++ran; };
    uiActions().queryLog = [&] { ++ran; };
    ASSERT_TRUE(loadWindow(mainWindow()));
    HWND list = mainWindow().unitHandle(MainWin::超级列表框_通讯);
    SetFocus(list);
    MSG enter{list, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_FALSE(handleDialogKey(enter));
    pressKey(VK_RETURN);
    EXPECT_EQ(ran, 0);
}

TEST_F(DialogKeysTest, NextTabStopSkipsHiddenPagesAndStartsFromTheWindowItself) {
    ASSERT_TRUE(loadWindow(mainWindow()));
    Window& w = mainWindow();
    // Page "主机列表" shows the tab control and the host list only.
    EXPECT_EQ(nextTabStop(w, w.handle(), true), w.unitHandle(MainWin::选择夹_通讯));
    EXPECT_EQ(nextTabStop(w, w.handle(), false), w.unitHandle(MainWin::超级列表框_通讯));
    EXPECT_EQ(nextTabStop(w, w.unitHandle(MainWin::超级列表框_通讯), true), w.unitHandle(MainWin::选择夹_通讯));
    // A window inside a control (the list's header) counts as that control.
    HWND header = GetWindow(w.unitHandle(MainWin::超级列表框_通讯), GW_CHILD);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(nextTabStop(w, header, false), w.unitHandle(MainWin::选择夹_通讯));
    w.showPage(MainWin::选择夹_通讯, 1);
    EXPECT_EQ(nextTabStop(w, w.unitHandle(MainWin::选择夹_通讯), true), w.unitHandle(MainWin::选择框_时间));
}

}  // namespace
