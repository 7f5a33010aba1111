#include "ui/tray.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "crashguard/win32/call_stack.h"
#include "runtime/codepage.h"
#include "runtime/win32/window_commands.h"
#include "ui/main_window.h"

static_assert(offsetof(NOTIFYICONDATAW, dwInfoFlags) + sizeof(DWORD) == kTrayRecordSize,
              "the shell's version-5 wide record");

namespace {

NOTIFYICONDATAW g_record{};
WNDPROC g_savedProc = nullptr;
TrayEventHandler g_handler = nullptr;
HWND g_window = nullptr;
HICON g_icon = nullptr;

template <std::size_t N>
void copyWide(wchar_t (&field)[N], const Text& text) {
    std::wstring wide = toWide(text);
    std::size_t n = wide.size() < N - 1 ? wide.size() : N - 1;
    std::memcpy(field, wide.data(), n * sizeof(wchar_t));
    field[n] = L'\0';
}

// The first image of an ICO file as an icon (directory entry 0).
HICON iconFromFile(const std::vector<std::uint8_t>& file) {
    if (file.size() < 6 + 16) return nullptr;
    DWORD size = 0, offset = 0;
    std::memcpy(&size, file.data() + 6 + 8, 4);
    std::memcpy(&offset, file.data() + 6 + 12, 4);
    if (offset > file.size() || size > file.size() - offset) return nullptr;
    return CreateIconFromResourceEx(const_cast<BYTE*>(file.data() + offset), size, TRUE, 0x30000, 16, 16,
                                    LR_DEFAULTCOLOR);
}

void replaceIcon(const std::vector<std::uint8_t>& file) {
    HICON icon = iconFromFile(file);
    g_record.hIcon = icon;
    if (g_icon) DestroyIcon(g_icon);
    g_icon = icon;
}

LRESULT CALLBACK trayProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kTrayCallbackMessage && g_handler) {
        g_handler(static_cast<int>(lp));
        return 0;
    }
    return g_savedProc ? CallWindowProcW(g_savedProc, hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) { std::memcpy(&out[at], &v, 4); }
void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) { std::memcpy(&out[at], &v, 2); }

// Four green signal bars, rising to the right, on a transparent ground.
std::vector<std::uint8_t> drawProgramIcon() {
    constexpr int kSide = 16;
    constexpr std::size_t kImage = 22, kPixels = kImage + 40, kMask = kPixels + kSide * kSide * 4;
    std::vector<std::uint8_t> f(kMask + kSide * 4, 0);
    put16(f, 2, 1);  // icon file
    put16(f, 4, 1);  // one image
    f[6] = kSide;
    f[7] = kSide;
    put16(f, 6 + 4, 1);   // planes
    put16(f, 6 + 6, 32);  // bits per pixel
    put32(f, 6 + 8, static_cast<std::uint32_t>(f.size() - kImage));
    put32(f, 6 + 12, kImage);
    put32(f, kImage, 40);
    put32(f, kImage + 4, kSide);
    put32(f, kImage + 8, kSide * 2);  // colour and mask halves
    put16(f, kImage + 12, 1);
    put16(f, kImage + 14, 32);
    for (int y = 0; y < kSide; ++y) {  // bottom-up rows
        std::uint32_t maskRow = 0;
        for (int x = 0; x < kSide; ++x) {
            const int bar = x / 4, height = 4 + bar * 3;
            const bool on = x % 4 != 0 && y >= 1 && y < 1 + height;
            std::uint8_t* p = &f[kPixels + (y * kSide + x) * 4];
            if (on) {
                p[0] = 0x3C, p[1] = 0xB0, p[2] = 0x2A, p[3] = 0xFF;
            } else {
                maskRow |= 0x80000000u >> x;
            }
        }
        // Mask rows are big-endian bit order, 4 bytes each.
        for (int b = 0; b < 4; ++b) f[kMask + y * 4 + b] = static_cast<std::uint8_t>(maskRow >> (24 - 8 * b));
    }
    return f;
}

}  // namespace

void addTrayIcon(HWND window, const std::vector<std::uint8_t>* iconFile, const Text& tip, bool setTip,
                 TrayEventHandler handler) {
    if (g_savedProc) {
        g_record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        if (iconFile) {
            replaceIcon(*iconFile);
            Shell_NotifyIconW(NIM_MODIFY, &g_record);
        }
        if (setTip) {
            copyWide(g_record.szTip, tip);
            Shell_NotifyIconW(NIM_MODIFY, &g_record);
        }
        return;
    }
    g_savedProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(trayProc)));
    g_handler = handler;
    g_window = window;
    g_record.cbSize = kTrayRecordSize;
    g_record.hWnd = window;
    g_record.uID = 1;
    g_record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_record.uCallbackMessage = kTrayCallbackMessage;
    if (iconFile) replaceIcon(*iconFile);
    copyWide(g_record.szTip, tip);
    Shell_NotifyIconW(NIM_ADD, &g_record);
}

void showTrayBalloon(const Text& title, const Text& text, DWORD iconFlag) {
    g_record.uFlags = NIF_INFO;
    copyWide(g_record.szInfoTitle, title);
    copyWide(g_record.szInfo, text);
    g_record.dwInfoFlags = iconFlag;
    Shell_NotifyIconW(NIM_MODIFY, &g_record);
}

void removeTrayIcon() {
    if (g_window && g_savedProc)
        SetWindowLongPtrW(g_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_savedProc));
    g_savedProc = nullptr;
    Shell_NotifyIconW(NIM_DELETE, &g_record);
}

bool trayIconInstalled() { return g_savedProc != nullptr; }

const NOTIFYICONDATAW& trayRecord() { return g_record; }

const std::vector<std::uint8_t>& programIconFile() {
    static const std::vector<std::uint8_t> file = drawProgramIcon();
    return file;
}

void showMainWindowCentred() {
    const Unit main = unitOf(mainWindow());
    setProperty(main, Property::Visible, 1);
    setProperty(main, Property::WindowPosition, WindowPosition::RestoreAndCentre);
}

// Recorded in the call stack so that a crash report names it; keep the
// standard frame (noinline).
__attribute__((noinline)) void TrayEvent(int mouseMessage) {
    pushCallFrame("事件_托盘", 0);
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: showMainWindowCentred(); break;
    case WM_RBUTTONDOWN: {
        POINT at{};
        GetCursorPos(&at);
        // Without the foreground the menu would not close when the user
        // clicks elsewhere.
        SetForegroundWindow(mainWindow().handle());
        popupMenu(mainWindow(), MainWin::程序菜单, at.x, at.y);
        break;
    }
    default: break;
    }
}
