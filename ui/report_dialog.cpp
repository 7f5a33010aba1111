#include "ui/report_dialog.h"

#include <windows.h>
#include <commctrl.h>

namespace {

using namespace ReportDlg;

// A tick box on each host row; the one column fills the list.
void attachHostChecks(void* hwnd) {
    const auto list = static_cast<HWND>(hwnd);
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
}

constexpr int kLeft = 16, kRow = 24, kDateWidth = 160;
const ListColumn kHostColumns[] = {{"主机", 330, LVCFMT_LEFT}};

constexpr ControlTemplate label(const char* name, int left, int top, int width, const char* text) {
    return {.name = name, .kind = ControlKind::Label, .container = 0, .page = -1, .left = left, .top = top + 4,
            .width = width, .height = kRow - 4, .text = text, .visible = true};
}
constexpr ControlTemplate dateBox(const char* name, int left) {
    return {.name = name, .kind = ControlKind::DatePicker, .container = 0, .page = -1, .left = left, .top = 16,
            .width = kDateWidth, .height = kRow, .text = "yyyy-MM-dd HH:mm:ss", .visible = true};
}
constexpr ControlTemplate check(const char* name, int top, const char* text, bool on) {
    return {.name = name, .kind = ControlKind::CheckBox, .container = 0, .page = -1, .left = kLeft, .top = top,
            .width = 200, .height = kRow, .text = text, .visible = true, .value = on ? 1u : 0u};
}
constexpr ControlTemplate button(const char* name, int left, const char* text) {
    return {.name = name, .kind = ControlKind::Button, .container = 0, .page = -1, .left = left, .top = 318,
            .width = 90, .height = 30, .text = text, .visible = true};
}

// In the order Tab walks.
const ControlTemplate kControls[] = {
    label("标签_时间", kLeft, 16, 40, "时间："),
    dateBox("日期框_开始日期", 56),
    label("标签_至", 222, 16, 16, "至"),
    dateBox("日期框_结束日期", 242),
    check("选择框_全部主机", 52, "全部主机", true),
    {.name = "超级列表框_主机", .kind = ControlKind::ReportList, .container = 0, .page = -1, .left = kLeft,
     .top = 80, .width = 386, .height = 196, .visible = true, .style = LVS_NOCOLUMNHEADER | LVS_SINGLESEL,
     .columns = kHostColumns, .columnCount = 1, .attach = attachHostChecks},
    check("选择框_生成后打开", 284, "生成后打开", true),
    button("按钮_生成", 216, "生成"),
    button("按钮_导出CSV", 312, "导出 CSV"),
};

// Fields left out keep their defaults (window_template.h), as in the
// settings window: no minimise or maximise box, not in the task bar.
const WindowTemplate kReportDialog = {
    .title = "生成报告", .width = 426, .height = 396, .escapeCloses = true, .defaultButton = 按钮_生成,
    .controls = kControls, .controlCount = countOf(kControls),
};

}  // namespace

Window& reportDialog() { return windowOf<kReportDialog>(); }
