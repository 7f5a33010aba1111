// The report dialog "生成报告": a time range (two date boxes as on the log
// page), the hosts (all, or the ticked ones of a check-box list), "生成后打开",
// "生成" (the HTML report) and "导出 CSV" (its two tables). Modeless, owned by
// the main window, one at a time; Enter presses "生成", Esc closes it.
// The user-interface thread only.
#pragma once

#include "runtime/win32/window.h"

namespace ReportDlg {
enum Unit : int {
    标签_时间 = 1,
    日期框_开始日期,
    标签_至,
    日期框_结束日期,
    选择框_全部主机,
    超级列表框_主机,
    选择框_生成后打开,
    按钮_生成,
    按钮_导出CSV,
};
}  // namespace ReportDlg

Window& reportDialog();
