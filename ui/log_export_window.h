// The export's progress window "导出日志": what has been written so far, a
// bar, and "取消". Modeless, owned by the main window, one at a time; it is
// loaded hidden and shown only when an export runs long enough to need it
// (ui/log_export.cpp). Esc and the close box ask to cancel as "取消" does;
// the window goes when the export has ended, not before, so that no export
// runs on unseen.
// The user-interface thread only.
#pragma once

#include "runtime/win32/window.h"

namespace LogExportWin {
enum Unit : int {
    标签_进度 = 1,
    进度条_导出,
    按钮_取消导出,
};
// The bar's range: fine enough that a million rows move it smoothly.
inline constexpr int kProgressRange = 1000;
}  // namespace LogExportWin

Window& logExportWindow();
