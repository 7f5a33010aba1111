#include "ui/colour_picker.h"

#include <windows.h>
#include <commdlg.h>

#include "runtime/win32/program.h"
#include "runtime/win32/window.h"
#include "ui/gdi_handles.h"

namespace {

// The colour lives in the window's extra bytes: state on the window.
constexpr int kColourSlot = 0;  // byte offset in the extra bytes
constexpr COLORREF kColourBits = 0xFFFFFF;  // a COLORREF's red, green, blue

COLORREF colourOf(HWND hwnd) { return static_cast<COLORREF>(GetWindowLongPtrW(hwnd, kColourSlot)); }

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    InflateRect(&r, -2, -2);
    ScopedGdiObject brush(CreateSolidBrush(colourOf(hwnd)));
    FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
    if (GetFocus() == hwnd) DrawFocusRect(dc, &r);
    EndPaint(hwnd, &ps);
}

void choose(HWND hwnd) {
    static COLORREF custom[16] = {};  // the dialog's custom colours for this run
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = GetAncestor(hwnd, GA_ROOT);
    cc.rgbResult = colourOf(hwnd);
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&cc)) return;
    SetWindowLongPtrW(hwnd, kColourSlot, static_cast<LONG_PTR>(cc.rgbResult));
    InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT CALLBACK pickerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case kColourPickerSet:
        SetWindowLongPtrW(hwnd, kColourSlot, static_cast<LONG_PTR>(wp & kColourBits));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case kColourPickerGet: return static_cast<LRESULT>(colourOf(hwnd));
    case WM_PAINT: paint(hwnd); return 0;
    case WM_LBUTTONDOWN: SetFocus(hwnd); return 0;
    case WM_LBUTTONUP: choose(hwnd); return 0;
    case WM_KEYDOWN:
        if (wp == VK_SPACE || wp == VK_RETURN) choose(hwnd);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTCHARS;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool registerColourPicker() {
    static bool done = false;
    if (done) return true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = pickerProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = programInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.lpszClassName = kColourPickerClass;
    done = RegisterClassW(&wc) != 0;
    return done;
}
