#include "runtime/win32/window.h"

#include "runtime/codepage.h"
#include "runtime/win32/dialog_keys.h"
#include "runtime/win32/program.h"
#include "runtime/win32/window_class.h"

Window::~Window() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void Window::setHandler(WindowEvent event, Handler handler) {
    handlers_[{kWindowUnit, static_cast<int>(event)}] = std::move(handler);
}

void Window::setHandler(int unit, ControlEvent event, Handler handler) {
    handlers_[{unit, static_cast<int>(event)}] = std::move(handler);
}

std::optional<int> Window::raise(WindowEvent event, std::intptr_t argument1, std::intptr_t argument2) {
    return raiseEvent(kWindowUnit, static_cast<int>(event), argument1, argument2);
}

std::optional<int> Window::raise(int unit, ControlEvent event, std::intptr_t argument1, std::intptr_t argument2) {
    return raiseEvent(unit, static_cast<int>(event), argument1, argument2);
}

std::optional<int> Window::raiseEvent(int unit, int event, std::intptr_t argument1, std::intptr_t argument2) {
    auto it = handlers_.find({unit, event});
    if (it == handlers_.end() || !it->second) return std::nullopt;
    Handler handler = it->second;  // the handler may replace itself
    return handler(argument1, argument2);
}

bool Window::hasUnit(int unit) const {
    if (unit == kWindowUnit) return true;
    if (isMenuUnit(unit)) {
        int menu = (unit - kMenuUnitBase) / 64, item = (unit - kMenuUnitBase) % 64;
        return menu < layout_.menuCount && item < layout_.menus[menu].itemCount;
    }
    return unit >= 1 && unit <= layout_.controlCount;
}

HWND Window::unitHandle(int unit) const {
    if (!hwnd_) return nullptr;
    if (unit == kWindowUnit) return hwnd_;
    if (unit < 1 || unit > static_cast<int>(units_.size())) return nullptr;
    return units_[unit - 1];
}

const ControlTemplate* Window::control(int unit) const {
    if (unit < 1 || unit > layout_.controlCount) return nullptr;
    return &layout_.controls[unit - 1];
}

bool Window::create(HWND parent, bool modal) {
    if (hwnd_ || !registerWindowClass()) return hwnd_ != nullptr;
    installDialogKeys();
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (layout_.minimizeBox) style |= WS_MINIMIZEBOX;
    if (layout_.maximizeBox) style |= WS_MAXIMIZEBOX;
    DWORD exStyle = layout_.taskbar ? WS_EX_APPWINDOW : 0;
    int x = (GetSystemMetrics(SM_CXSCREEN) - layout_.width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - layout_.height) / 2;
    std::wstring title = toWide(layout_.title ? layout_.title : "");
    HWND hwnd = CreateWindowExW(exStyle, kWindowClass, title.c_str(), style, x, y, layout_.width,
                                layout_.height, parent, nullptr, programInstance(), this);
    if (!hwnd) return false;
    closing_ = false;
    noteLoaded(modal);
    if (!createControls()) {
        DestroyWindow(hwnd);
        return false;
    }
    ready_ = true;
    // A handler may close the window at once: each later step checks.
    raise(WindowEvent::Created);
    if (hwnd_) raise(WindowEvent::Moved);
    if (hwnd_) raise(WindowEvent::Resized);
    if (hwnd_ && layout_.visible) ShowWindow(hwnd_, SW_SHOW);
    return true;
}

void Window::requestClose() {
    if (!hwnd_) return;
    closing_ = true;
    PostMessageW(hwnd_, kCloseRequestMessage, 0, 0);
}

void Window::destroyNow() {
    if (hwnd_) DestroyWindow(hwnd_);
}
