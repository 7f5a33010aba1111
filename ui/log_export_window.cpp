#include "ui/log_export_window.h"

#include <commctrl.h>

namespace {

using namespace LogExportWin;

void setRange(void* bar) {
    SendMessageW(static_cast<HWND>(bar), PBM_SETRANGE32, 0, kProgressRange);
}

const ControlTemplate kControls[] = {
    {.name = "标签_进度", .kind = ControlKind::Label, .left = 20, .top = 16, .width = 300, .height = 20,
     .text = "正在导出…", .visible = true},
    {.name = "进度条_导出", .kind = ControlKind::ProgressBar, .left = 20, .top = 42, .width = 300,
     .height = 20, .visible = true, .attach = setRange},
    {.name = "按钮_取消导出", .kind = ControlKind::Button, .left = 240, .top = 76, .width = 80, .height = 30,
     .text = "取消", .visible = true},
};

// Loaded hidden: a short export ends before anything shows.
const WindowTemplate kLogExportWindow = {
    .title = "导出日志", .width = 356, .height = 150, .escapeCloses = true, .visible = false,
    .controls = kControls, .controlCount = countOf(kControls),
};

}  // namespace

Window& logExportWindow() { return windowOf<kLogExportWindow>(); }
