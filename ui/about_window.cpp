#include "ui/about_window.h"

#include "ui/banner.h"

namespace {

constexpr ControlTemplate label(const char* name, int top, const char* text) {
    return {.name = name, .kind = ControlKind::Label, .container = 0, .page = -1, .left = 20,
            .top = top, .width = 340, .height = 24, .text = text, .visible = true};
}

const ControlTemplate kControls[] = {
    {.name = "图片框_图片", .kind = ControlKind::Picture, .container = 0, .page = -1, .left = 0,
     .top = 0, .width = 380, .height = 90, .visible = true, .attach = attachBanner},
    label("标签_程序", 100, "程序"),
    label("标签_作者", 125, "作者"),
    label("标签_其他", 150, "其他"),
    {.name = "标签_网址", .kind = ControlKind::Label, .container = 0, .page = -1, .left = 20,
     .top = 175, .width = 340, .height = 24, .text = "网址", .visible = true, .coloured = true,
     .textColour = 0 | (136 << 8) | (255 << 16), .handCursor = true},
    {.name = "按钮_确认", .kind = ControlKind::Button, .container = 0, .page = -1, .left = 278,
     .top = 209, .width = 80, .height = 32, .text = "确认", .visible = true},
};

// Fields left out keep their defaults (window_template.h): no minimise or
// maximise box, not in the task bar, shown when loaded, no menus.
const WindowTemplate kAboutWindow = {
    .title = "关于", .width = 380, .height = 280, .escapeCloses = true,
    .defaultButton = AboutWin::按钮_确认,
    .controls = kControls, .controlCount = countOf(kControls),
};

}  // namespace

Window& aboutWindow() { return windowOf<kAboutWindow>(); }
