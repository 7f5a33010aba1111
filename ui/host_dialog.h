// The host dialog (add or edit one host): modeless, owned by the main
// window, closed by Esc, saved by Enter (按钮1 is its default button); its
// title is set when it is opened. The
// user-interface thread only.
#pragma once

#include "runtime/win32/window.h"

namespace HostDlg {
enum Unit : int {
    标签1 = 1,
    编辑框_备注名称,
    标签2,
    编辑框_通讯地址,
    标签5,
    编辑框_网络良好,
    颜色选择器_网络良好,
    标签4,
    编辑框_网络正常,
    颜色选择器_网络正常,
    标签7,
    编辑框_网络异常,
    颜色选择器_网络异常,
    标签6,
    编辑框_网络超时,
    颜色选择器_网络超时,
    选择框1,
    选择框2,
    按钮1,
    按钮_建议阈值,  // fills the threshold boxes from the host's history
    标签_建议依据,  // what the filled thresholds are based on
};
}  // namespace HostDlg

Window& hostDialog();
