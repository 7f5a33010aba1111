#include "ui/host_dialog.h"

#include <windows.h>

#include "ui/integer_edit.h"

namespace {

using namespace HostDlg;

constexpr ControlTemplate label(const char* name, int top, const char* text) {
    return {.name = name, .kind = ControlKind::Label, .container = 0, .page = -1, .left = 48,
            .top = top, .width = 64, .height = 24, .text = text, .visible = true};
}
constexpr ControlTemplate edit(const char* name, int top) {
    return {.name = name, .kind = ControlKind::Edit, .container = 0, .page = -1, .left = 112,
            .top = top, .width = 208, .height = 24, .text = "", .visible = true};
}
constexpr ControlTemplate integerEdit(const char* name, int top, const char* text) {
    return {.name = name, .kind = ControlKind::IntegerEdit, .container = 0, .page = -1, .left = 112,
            .top = top, .width = 94, .height = 24, .text = text, .visible = true,
            .attach = attachIntegerEdit};
}
constexpr ControlTemplate colourPicker(const char* name, int top, std::uint32_t colour) {
    return {.name = name, .kind = ControlKind::ColourPicker, .container = 0, .page = -1, .left = 212,
            .top = top, .width = 108, .height = 24, .visible = true, .value = colour};
}
constexpr std::uint32_t rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r | (g << 8) | (b << 16));
}

const ControlTemplate kControls[] = {
    label("标签1", 20, "备注名称"),
    edit("编辑框_备注名称", 20),
    label("标签2", 52, "IP/域名"),
    edit("编辑框_通讯地址", 52),
    label("标签5", 84, "网络良好"),
    integerEdit("编辑框_网络良好", 84, "30"),
    colourPicker("颜色选择器_网络良好", 84, rgb(0, 128, 0)),
    label("标签4", 116, "网络正常"),
    integerEdit("编辑框_网络正常", 116, "100"),
    colourPicker("颜色选择器_网络正常", 116, rgb(255, 128, 0)),
    label("标签7", 148, "网络异常"),
    integerEdit("编辑框_网络异常", 148, "200"),
    colourPicker("颜色选择器_网络异常", 148, rgb(255, 0, 0)),
    label("标签6", 180, "连接超时"),
    integerEdit("编辑框_网络超时", 180, "500"),
    colourPicker("颜色选择器_网络超时", 180, rgb(96, 96, 96)),
    {.name = "选择框1", .kind = ControlKind::CheckBox, .container = 0, .page = -1, .left = 112,
     .top = 210, .width = 94, .height = 24, .text = "记录日志", .visible = true, .value = 0},
    // Never shown: it only carries the host's auto-start value.
    {.name = "选择框2", .kind = ControlKind::CheckBox, .container = 0, .page = -1, .left = 212,
     .top = 210, .width = 108, .height = 24, .text = "立即启动", .visible = false, .value = 1},
    {.name = "按钮1", .kind = ControlKind::Button, .container = 0, .page = -1, .left = 240, .top = 236,
     .width = 80, .height = 32, .text = "确 定", .visible = true},
};

// Untitled until opened (host_actions.cpp titles it); fields left out keep
// their defaults (window_template.h), as in the about window.
const WindowTemplate kHostDialog = {
    .width = 400, .height = 320, .escapeCloses = true, .defaultButton = 按钮1,
    .controls = kControls, .controlCount = countOf(kControls),
};

}  // namespace

Window& hostDialog() { return windowOf<kHostDialog>(); }
