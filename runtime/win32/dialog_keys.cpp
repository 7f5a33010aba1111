#include "runtime/win32/dialog_keys.h"

#include "runtime/win32/program.h"
#include "runtime/win32/window.h"

namespace {

bool isTabStop(HWND control) {
    return control && (GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(control) &&
           IsWindowEnabled(control);
}

// The unit whose control is `hwnd` or holds it (a combo box's edit, a list
// view's header); 0 when none does.
int unitContaining(const Window& window, HWND hwnd) {
    for (int unit = 1; unit <= window.layout().controlCount; ++unit) {
        HWND control = window.unitHandle(unit);
        if (control && (control == hwnd || IsChild(control, hwnd))) return unit;
    }
    return 0;
}

// Whether the control the key went to wants it for itself, as dialog boxes
// ask (keys go to the window with the focus).
bool controlWants(const MSG& msg, LRESULT wanted) {
    const LRESULT code = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    return (code & wanted) != 0;
}

bool moveFocus(Window& window, HWND from, bool forward) {
    HWND to = nextTabStop(window, from, forward);
    if (!to) return false;
    SetFocus(to);
    // As in a dialog box, an edit box reached by Tab has its text selected.
    if (SendMessageW(to, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(to, EM_SETSEL, 0, -1);
    return true;
}

// The same WM_COMMAND a click on the button sends its window.
bool pressDefaultButton(Window& window) {
    const int unit = window.layout().defaultButton;
    if (unit == kWindowUnit) return false;  // the template names none
    HWND button = window.unitHandle(unit);
    if (!button || !IsWindowVisible(button) || !IsWindowEnabled(button)) return false;
    SendMessageW(window.handle(), WM_COMMAND, MAKEWPARAM(unit, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

bool keyDown(SHORT state) { return (state & 0x8000) != 0; }

}  // namespace

void installDialogKeys() { setMessageFilter(handleDialogKey); }

HWND nextTabStop(const Window& window, HWND from, bool forward) {
    const int count = window.layout().controlCount;
    if (count == 0) return nullptr;
    const int start = unitContaining(window, from);
    // Without a focused control the walk starts just outside the order, so
    // the first step lands on the first (or last) unit.
    int unit = start != 0 ? start : (forward ? count : 1);
    for (int step = 0; step < count; ++step) {
        unit = forward ? unit % count + 1 : (unit + count - 2) % count + 1;
        HWND control = window.unitHandle(unit);
        if (isTabStop(control)) return control;
    }
    return nullptr;
}

bool handleDialogKey(MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    Window* window = Window::fromHandle(msg.hwnd);
    if (!window || !window->loaded()) return false;
    switch (msg.wParam) {
    case VK_TAB:
        // Ctrl+Tab and Alt+Tab belong to tab controls and to the system.
        if (keyDown(GetKeyState(VK_CONTROL)) || keyDown(GetKeyState(VK_MENU))) return false;
        if (controlWants(msg, DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
        return moveFocus(*window, msg.hwnd, !keyDown(GetKeyState(VK_SHIFT)));
    case VK_RETURN:
        if (controlWants(msg, DLGC_WANTALLKEYS)) return false;
        return pressDefaultButton(*window);
    case VK_ESCAPE:
        if (!window->layout().escapeCloses || controlWants(msg, DLGC_WANTALLKEYS)) return false;
        // A close request as from the close box, so a close query still applies.
        PostMessageW(window->handle(), WM_CLOSE, 0, 0);
        return true;
    default: return false;
    }
}
