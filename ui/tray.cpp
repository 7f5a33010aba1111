#include "ui/tray.h"

#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>

#include "crashguard/win32/call_stack.h"
#include "runtime/codepage.h"
#include "runtime/win32/subclass.h"
#include "runtime/win32/window_commands.h"
#include "ui/main_window.h"
#include "ui/ui_state.h"

static_assert(offsetof(NOTIFYICONDATAW, dwInfoFlags) + sizeof(DWORD) == kTrayRecordSize,
              "the shell's version-5 wide record");

namespace {

// Add and modify set the message, the icon and the tip.
constexpr UINT kAddFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
// The program has one icon.
constexpr UINT kTrayIconId = 1;

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

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) { std::memcpy(&out[at], &v, 4); }
void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) { std::memcpy(&out[at], &v, 2); }

struct BarColour {
    std::uint8_t blue, green, red;
};
// One colour per TrayTone, in its order: strong enough to tell apart at 16 pixels.
constexpr BarColour kToneColours[] = {
    {0x3C, 0xB0, 0x2A},  // normal: the program's green
    {0x00, 0x8C, 0xFF},  // high: orange
    {0x30, 0x30, 0xE0},  // down: red
    {0x90, 0x90, 0x90},  // idle: grey
};

// Four signal bars, rising to the right, on a transparent ground.
std::vector<std::uint8_t> drawSignalIcon(BarColour colour) {
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
                p[0] = colour.blue, p[1] = colour.green, p[2] = colour.red, p[3] = 0xFF;
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

TrayIcon::~TrayIcon() {
    if (installed()) remove();
    if (icon_) DestroyIcon(icon_);
}

void TrayIcon::replaceIcon(const std::vector<std::uint8_t>& file) {
    HICON icon = iconFromFile(file);
    record_.hIcon = icon;
    if (icon_) DestroyIcon(icon_);
    icon_ = icon;
}

LRESULT TrayIcon::trayProc(const SubclassCall& call, void* self) {
    auto* tray = static_cast<TrayIcon*>(self);
    if (call.msg == kTrayCallbackMessage && tray->handler_) {
        tray->handler_(static_cast<int>(call.lp));
        return 0;
    }
    // A restarted shell knows no icons: add ours again as it stands, the
    // current picture and tip included.
    if (call.msg == taskbarCreatedMessage() && call.msg != 0) tray->readd();
    return call.next();
}

void TrayIcon::readd() {
    record_.uFlags = kAddFlags;
    Shell_NotifyIconW(NIM_ADD, &record_);
}

void TrayIcon::add(HWND window, const std::vector<std::uint8_t>* iconFile, const Text& tip, bool setTip,
                   TrayEventHandler handler) {
    if (installed()) {
        record_.uFlags = kAddFlags;
        if (iconFile) {
            replaceIcon(*iconFile);
            Shell_NotifyIconW(NIM_MODIFY, &record_);
        }
        if (setTip) {
            copyWide(record_.szTip, tip);
            Shell_NotifyIconW(NIM_MODIFY, &record_);
        }
        return;
    }
    savedProc_ = addSubclass<trayProc>(window, this);
    handler_ = handler;
    window_ = window;
    record_.cbSize = kTrayRecordSize;
    record_.hWnd = window;
    record_.uID = kTrayIconId;
    record_.uFlags = kAddFlags;
    record_.uCallbackMessage = kTrayCallbackMessage;
    if (iconFile) replaceIcon(*iconFile);
    copyWide(record_.szTip, tip);
    Shell_NotifyIconW(NIM_ADD, &record_);
}

void TrayIcon::showBalloon(const Text& title, const Text& text, DWORD iconFlag) {
    record_.uFlags = NIF_INFO;
    copyWide(record_.szInfoTitle, title);
    copyWide(record_.szInfo, text);
    record_.dwInfoFlags = iconFlag;
    Shell_NotifyIconW(NIM_MODIFY, &record_);
}

void TrayIcon::remove() {
    if (window_) removeSubclass<trayProc>(window_);
    savedProc_ = nullptr;
    Shell_NotifyIconW(NIM_DELETE, &record_);
}

void addTrayIcon(HWND window, const std::vector<std::uint8_t>* iconFile, const Text& tip, bool setTip,
                 TrayEventHandler handler) {
    uiState().tray.add(window, iconFile, tip, setTip, handler);
}

void showTrayBalloon(const Text& title, const Text& text, DWORD iconFlag) {
    uiState().tray.showBalloon(title, text, iconFlag);
}

void removeTrayIcon() { uiState().tray.remove(); }

bool trayIconInstalled() { return uiState().tray.installed(); }

const NOTIFYICONDATAW& trayRecord() { return uiState().tray.record(); }

const std::vector<std::uint8_t>& programIconFile() { return trayIconFile(TrayTone::normal); }

const std::vector<std::uint8_t>& trayIconFile(TrayTone tone) {
    static const std::vector<std::uint8_t> files[] = {
        drawSignalIcon(kToneColours[0]), drawSignalIcon(kToneColours[1]),
        drawSignalIcon(kToneColours[2]), drawSignalIcon(kToneColours[3])};
    static_assert(std::size(kToneColours) == static_cast<std::size_t>(TrayTone::idle) + 1,
                  "one colour per tone");
    return files[static_cast<std::size_t>(tone)];
}

UINT taskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

void showMainWindowCentred() {
    const Unit main = unitOf(mainWindow());
    setProperty(main, Property::Visible, true);
    setProperty(main, Property::WindowPosition, WindowPosition::RestoreAndCentre);
}

// Recorded in the call stack so that a crash report names it; keep the
// standard frame (noinline).
__attribute__((noinline)) void TrayEvent(int mouseMessage) {
    pushCallFrame("事件_托盘", 0);
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case NIN_BALLOONUSERCLICK: showMainWindowCentred(); break;
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
