#include "ui/host_stats_tip.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <string>

#include "runtime/codepage.h"
#include "runtime/win32/subclass.h"
#include "runtime/win32/window_commands.h"
#include "ui/main_window.h"

namespace {

// Wide enough for the longest line; a set width is also what makes the
// tooltip break at "\r\n".
constexpr int kTipMaxWidth = 900;
// Below and right of the pointer, clear of its shape.
constexpr int kTipOffsetX = 16, kTipOffsetY = 20;

struct StatsTip {
    HWND list = nullptr;
    HWND tip = nullptr;
    HostTipSource source;
    std::wstring shown;
    bool trackingLeave = false;

    TOOLINFOW tool() {
        TOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
        ti.hwnd = list;
        ti.uId = reinterpret_cast<UINT_PTR>(list);
        return ti;
    }

    void hide() {
        if (shown.empty()) return;
        TOOLINFOW ti = tool();
        SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
        shown.clear();
    }

    int hostAt(int x, int y) {
        LVHITTESTINFO hit{};
        hit.pt = {x, y};
        const int row = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (row < 0 || !(hit.flags & LVHT_ONITEM)) return 0;
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
        return static_cast<int>(item.lParam);
    }

    void onMouseMove(int x, int y) {
        if (!trackingLeave) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, list, 0};
            trackingLeave = TrackMouseEvent(&track) != FALSE;
        }
        const int host = hostAt(x, y);
        const std::wstring text = host ? toWide(source(host)) : std::wstring();
        if (text.empty()) return hide();
        POINT at{x, y};
        ClientToScreen(list, &at);
        SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x + kTipOffsetX, at.y + kTipOffsetY));
        if (text == shown) return;
        TOOLINFOW ti = tool();
        ti.lpszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
        if (shown.empty()) SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
        shown = text;
    }
};

LRESULT statsTipHook(const SubclassCall& call, void* data) {
    StatsTip& t = *static_cast<StatsTip*>(data);
    switch (call.msg) {
    case WM_MOUSEMOVE: t.onMouseMove(GET_X_LPARAM(call.lp), GET_Y_LPARAM(call.lp)); break;
    case WM_MOUSELEAVE:
        t.trackingLeave = false;
        t.hide();
        break;
    case WM_NCDESTROY: {
        // The tip's state ends with its list; the tooltip window itself
        // goes with its owner.
        const LRESULT result = call.next();
        if (IsWindow(t.tip)) DestroyWindow(t.tip);
        delete &t;
        return result;
    }
    default: break;
    }
    return call.next();
}

}  // namespace

HWND installHostStatsTip(HWND list, HWND owner, HostTipSource source) {
    if (!IsWindow(list) || hasSubclass<statsTipHook>(list)) return nullptr;
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!tip) return nullptr;
    auto* t = new StatsTip;
    t->list = list;
    t->tip = tip;
    t->source = std::move(source);
    TOOLINFOW ti = t->tool();
    ti.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, kTipMaxWidth);
    addSubclass<statsTipHook>(list, t);
    return tip;
}

HWND installHostStatsTip(HostTipSource source) {
    return installHostStatsTip(windowHandle(unitOf(mainWindow(), MainWin::超级列表框_通讯)), mainWindow().handle(),
                               std::move(source));
}
