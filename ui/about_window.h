// The about window "关于": banner, four labels (texts set when it opens, the
// last one a link) and the close button, which Enter presses. Modeless,
// owned by the main window, closed by Esc. The user-interface thread only.
#pragma once

#include "runtime/win32/window.h"

namespace AboutWin {
enum Unit : int {
    图片框_图片 = 1,
    标签_程序,
    标签_作者,
    标签_其他,
    标签_网址,
    按钮_确认,
};
}  // namespace AboutWin

Window& aboutWindow();
