#include "ui/settings_window.h"

#include <windows.h>

namespace {

using namespace SettingsWin;

constexpr int kLabelLeft = 24, kLabelWidth = 120, kEditLeft = 148, kEditWidth = 64, kRowHeight = 24;

constexpr ControlTemplate check(const char* name, int top, const char* text) {
    return {.name = name, .kind = ControlKind::CheckBox, .container = 0, .page = -1, .left = kLabelLeft,
            .top = top, .width = 240, .height = kRowHeight, .text = text, .visible = true};
}
constexpr ControlTemplate label(const char* name, int left, int top, int width, const char* text) {
    return {.name = name, .kind = ControlKind::Label, .container = 0, .page = -1, .left = left,
            .top = top + 4, .width = width, .height = kRowHeight - 4, .text = text, .visible = true};
}
// Digits only from the keyboard; a pasted text is checked on "确定".
constexpr ControlTemplate count(const char* name, int top) {
    return {.name = name, .kind = ControlKind::Edit, .container = 0, .page = -1, .left = kEditLeft,
            .top = top, .width = kEditWidth, .height = kRowHeight, .text = "", .visible = true,
            .style = ES_NUMBER};
}
constexpr ControlTemplate button(const char* name, int left, const char* text) {
    return {.name = name, .kind = ControlKind::Button, .container = 0, .page = -1, .left = left,
            .top = 232, .width = 80, .height = 30, .text = text, .visible = true};
}

// In the order Tab walks: the units are the template's order.
const ControlTemplate kControls[] = {
    check("选择框_启用提醒", 16, "启用提醒"),
    label("标签_失败次数", kLabelLeft, 50, kLabelWidth, "连续失败次数"),
    count("编辑框_失败次数", 50),
    label("标签_恢复次数", kLabelLeft, 82, kLabelWidth, "恢复次数"),
    count("编辑框_恢复次数", 82),
    label("标签_延迟次数", kLabelLeft, 114, kLabelWidth, "延迟过高持续次数"),
    count("编辑框_延迟次数", 114),
    label("标签_延迟说明", kEditLeft + kEditWidth + 8, 114, 100, "0 为不提醒"),
    check("选择框_声音提醒", 148, "声音提醒"),
    check("选择框_开机运行", 180, "开机自动运行"),
    button("按钮_确定", 128, "确定"),
    button("按钮_取消", 216, "取消"),
};

// Fields left out keep their defaults (window_template.h), as in the about
// window: no minimise or maximise box, not in the task bar, no menus.
const WindowTemplate kSettingsWindow = {
    .title = "设置", .width = 340, .height = 310, .escapeCloses = true, .defaultButton = 按钮_确定,
    .controls = kControls, .controlCount = countOf(kControls),
};

}  // namespace

Window& settingsWindow() { return windowOf<kSettingsWindow>(); }
