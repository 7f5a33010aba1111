#include "ui/host_dialog.h"

#include <windows.h>

#include "store/host_record.h"
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

// A new host's threshold (non-negative) as its box's first text, made at
// compile time from the one definition of the defaults.
struct DecimalText {
    char digits[12] = {};
};
constexpr DecimalText decimal(std::int32_t n) {
    DecimalText text;
    char reversed[12] = {};
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n > 0);
    for (int i = 0; i < count; ++i) text.digits[i] = reversed[count - 1 - i];
    return text;
}
constexpr DecimalText kNewTimeTexts[kHostClasses] = {decimal(kNewHostTimes[0]), decimal(kNewHostTimes[1]),
                                                     decimal(kNewHostTimes[2]), decimal(kNewHostTimes[3])};
constexpr std::uint32_t newColour(int i) { return static_cast<std::uint32_t>(kNewHostColours[i]); }

const ControlTemplate kControls[] = {
    label("标签1", 20, "备注名称"),
    edit("编辑框_备注名称", 20),
    label("标签2", 52, "IP/域名"),
    edit("编辑框_通讯地址", 52),
    label("标签5", 84, "网络良好"),
    integerEdit("编辑框_网络良好", 84, kNewTimeTexts[0].digits),
    colourPicker("颜色选择器_网络良好", 84, newColour(0)),
    label("标签4", 116, "网络正常"),
    integerEdit("编辑框_网络正常", 116, kNewTimeTexts[1].digits),
    colourPicker("颜色选择器_网络正常", 116, newColour(1)),
    label("标签7", 148, "网络异常"),
    integerEdit("编辑框_网络异常", 148, kNewTimeTexts[2].digits),
    colourPicker("颜色选择器_网络异常", 148, newColour(2)),
    label("标签6", 180, "连接超时"),
    integerEdit("编辑框_网络超时", 180, kNewTimeTexts[3].digits),
    colourPicker("颜色选择器_网络超时", 180, newColour(3)),
    {.name = "选择框1", .kind = ControlKind::CheckBox, .container = 0, .page = -1, .left = 112,
     .top = 210, .width = 94, .height = 24, .text = "记录日志", .visible = true, .value = 0},
    // Never shown: it only carries the host's auto-start value.
    {.name = "选择框2", .kind = ControlKind::CheckBox, .container = 0, .page = -1, .left = 212,
     .top = 210, .width = 108, .height = 24, .text = "立即启动", .visible = false, .value = 1},
    {.name = "按钮1", .kind = ControlKind::Button, .container = 0, .page = -1, .left = 240, .top = 236,
     .width = 80, .height = 32, .text = "确 定", .visible = true},
    // In the free space right of the colour buttons; disabled until the
    // host has history enough (ui/threshold_suggestion_view.h).
    {.name = "按钮_建议阈值", .kind = ControlKind::Button, .container = 0, .page = -1, .left = 326, .top = 84,
     .width = 60, .height = 24, .text = "建议阈值", .visible = true},
    {.name = "标签_建议依据", .kind = ControlKind::Label, .container = 0, .page = -1, .left = 48, .top = 242,
     .width = 186, .height = 20, .text = "", .visible = true},
};

// Untitled until opened (host_actions.cpp titles it); fields left out keep
// their defaults (window_template.h), as in the about window.
const WindowTemplate kHostDialog = {
    .width = 400, .height = 320, .escapeCloses = true, .defaultButton = 按钮1,
    .controls = kControls, .controlCount = countOf(kControls),
};

}  // namespace

Window& hostDialog() { return windowOf<kHostDialog>(); }
