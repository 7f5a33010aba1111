// The settings window "设置": the alerts' switches and counts and the
// start with Windows. Modeless, owned by the main window, one at a time;
// Enter presses "确定", Esc closes it as "取消" does (nothing saved).
// The user-interface thread only.
#pragma once

#include "runtime/win32/window.h"

namespace SettingsWin {
enum Unit : int {
    选择框_启用提醒 = 1,
    标签_失败次数,
    编辑框_失败次数,
    标签_恢复次数,
    编辑框_恢复次数,
    标签_延迟次数,
    编辑框_延迟次数,
    标签_延迟说明,
    选择框_声音提醒,
    选择框_开机运行,
    按钮_确定,
    按钮_取消,
};
}  // namespace SettingsWin

Window& settingsWindow();
