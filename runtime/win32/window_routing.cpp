// The window's own messages, each turned into the event it stands for.
#include "runtime/win32/window.h"

#include <commctrl.h>

LRESULT CALLBACK Window::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* created = reinterpret_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        created->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->onMessage(msg, wp, lp);
}

LRESULT Window::onMessage(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = hwnd_;
    switch (msg) {
    case WM_COMMAND: return onCommand(wp, lp);
    case WM_NOTIFY: return onNotify(reinterpret_cast<const NMHDR*>(lp));
    case WM_CLOSE: return onClose();
    case kCloseRequestMessage: DestroyWindow(hwnd); return 0;
    case WM_SIZE: onSize(); break;
    case WM_MOVE: onMove(); break;
    case WM_ENDSESSION: onEndSession(wp != FALSE); return 0;
    case WM_CTLCOLORSTATIC: return onLabelColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_DESTROY: onDestroy(); break;
    case WM_NCDESTROY: onNcDestroy(); break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT Window::onCommand(WPARAM wp, LPARAM lp) {
    int unit = LOWORD(wp);
    if (lp == 0) {  // a menu command (popup menus only; accelerators are none)
        if (isMenuUnit(unit) && hasUnit(unit)) raise(unit, ControlEvent::Clicked);
        return 0;
    }
    const ControlTemplate* c = control(unit);
    if (!c) return 0;
    int code = HIWORD(wp);
    if ((c->kind == ControlKind::Button || c->kind == ControlKind::CheckBox) && code == BN_CLICKED)
        raise(unit, ControlEvent::Clicked);
    if (c->kind == ControlKind::ComboList && code == CBN_SELCHANGE)
        raise(unit, ControlEvent::SelectionChanged,
              static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lp), CB_GETCURSEL, 0, 0)));
    return 0;
}

LRESULT Window::onNotify(const NMHDR* header) {
    int unit = static_cast<int>(header->idFrom);
    const ControlTemplate* c = control(unit);
    if (!c || header->hwndFrom != unitHandle(unit)) return DefWindowProcW(hwnd_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(header));
    if (c->kind == ControlKind::Tab && header->code == TCN_SELCHANGE) {
        int page = static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
        showPage(unit, page);
        raise(unit, ControlEvent::SelectionChanged, page);
    } else if (c->kind == ControlKind::ReportList && header->code == NM_RCLICK) {
        raise(unit, ControlEvent::ListRightClick, reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
    }
    return 0;
}

LRESULT Window::onClose() {
    std::optional<int> keep = raise(WindowEvent::CloseQuery);
    if (keep && *keep == 0) return 0;
    DestroyWindow(hwnd_);
    return 0;
}

void Window::onSize() {
    if (ready_) raise(WindowEvent::Resized);
}

void Window::onMove() {
    if (ready_) raise(WindowEvent::Moved);
}

// Windows may end the process as soon as this message returns, so the
// handler does its ending work now; a cancelled end (wParam FALSE) is none.
void Window::onEndSession(bool ending) {
    if (ending) raise(WindowEvent::SessionEnding);
}

LRESULT Window::onLabelColour(HDC dc, HWND label) {
    const ControlTemplate* c = control(GetDlgCtrlID(label));
    if (!c || !c->coloured || unitHandle(GetDlgCtrlID(label)) != label)
        return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
    SetTextColor(dc, c->textColour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void Window::onDestroy() {
    raise(WindowEvent::Destroying);
}

void Window::onNcDestroy() {
    ready_ = false;
    hwnd_ = nullptr;
    closing_ = false;
    units_.clear();
    noteUnloaded();
}
