// The controls' own messages: every control the engine builds is hooked
// (runtime/win32/subclass.h) so that its mouse messages, the monitor tasks'
// reports to labels and the hand cursor reach the window's events.
#include <optional>

#include "runtime/win32/subclass.h"
#include "runtime/win32/window.h"

namespace {

LRESULT controlHook(const SubclassCall& call, void* owner) {
    return static_cast<Window*>(owner)->routeControlMessage(call);
}

std::optional<ControlEvent> mouseEventOf(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN: return ControlEvent::LeftButtonDown;
    case WM_LBUTTONUP: return ControlEvent::LeftButtonUp;
    case WM_LBUTTONDBLCLK: return ControlEvent::DoubleClick;
    case WM_RBUTTONDOWN: return ControlEvent::RightButtonDown;
    case WM_RBUTTONUP: return ControlEvent::RightButtonUp;
    default: return std::nullopt;
    }
}

}  // namespace

void Window::hookControl(HWND control) { addSubclass<controlHook>(control, this); }

LRESULT Window::routeControlMessage(const SubclassCall& call) {
    const int unit = GetDlgCtrlID(call.hwnd);
    const ControlTemplate* c = control(unit);
    switch (call.msg) {
    case kReportMessage:
        if (c && c->kind == ControlKind::Label)
            return raise(unit, ControlEvent::Report, static_cast<std::intptr_t>(call.wp),
                         static_cast<std::intptr_t>(call.lp))
                .value_or(0);
        break;
    case WM_SETCURSOR:
        if (c && c->handCursor) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_DESTROY:
        if (c && c->kind == ControlKind::Picture) {
            // The picture box owns the bitmap its template's hook gave it.
            auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(call.hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
            if (bitmap) DeleteObject(bitmap);
        }
        break;
    }
    const LRESULT result = call.next();
    const std::optional<ControlEvent> mouse = mouseEventOf(call.msg);
    if (mouse && c)
        raise(unit, *mouse, static_cast<short>(LOWORD(call.lp)), static_cast<short>(HIWORD(call.lp)));
    return result;
}
