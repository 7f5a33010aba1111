// The tray icon on a real window: the kept record, the replaced procedure
// and the hand-over of the icon's mouse messages, balloons, and removal.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ui/tray.h"
#include "ui/ui_state.h"

namespace {

std::vector<int> g_events;
int g_ownProcCalls = 0;

LRESULT CALLBACK ownProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kTrayCallbackMessage || msg == WM_USER + 7) ++g_ownProcCalls;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void recordEvent(int mouseMessage) { g_events.push_back(mouseMessage); }

HWND makeWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ownProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QernoTrayTest";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"tray", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

TEST(Tray, ProgramIconIsOneSixteenPixelImage) {
    const std::vector<std::uint8_t>& file = programIconFile();
    EXPECT_EQ(file.size(), 1150u);
    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(file.data() + 22), 1128, TRUE, 0x30000, 16, 16,
                                          LR_DEFAULTCOLOR);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectW(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 16);
    EXPECT_EQ(colour.bmHeight, 16);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
}

// The bars' colour of one picture: the pixel at the foot of the tallest bar
// (bottom-up rows, BGRA).
std::uint32_t barColour(const std::vector<std::uint8_t>& file) {
    constexpr std::size_t kPixels = 22 + 40, kRow = 16 * 4;
    const std::uint8_t* p = &file[kPixels + 1 * kRow + 15 * 4];
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

TEST(Tray, EveryToneIsTheProgramsBarsInItsOwnColour) {
    EXPECT_EQ(&trayIconFile(TrayTone::normal), &programIconFile());
    const struct {
        TrayTone tone;
        std::uint32_t bgra;
    } cases[] = {
        {TrayTone::normal, 0xFF2AB03C},  // green
        {TrayTone::high, 0xFFFF8C00},    // orange
        {TrayTone::down, 0xFFE03030},    // red
        {TrayTone::idle, 0xFF909090},    // grey
    };
    for (const auto& c : cases) {
        const std::vector<std::uint8_t>& file = trayIconFile(c.tone);
        EXPECT_EQ(file.size(), 1150u);
        EXPECT_EQ(barColour(file), c.bgra) << static_cast<int>(c.tone);
    }
}

// The shell forgets every icon when it restarts (explorer crashed, a new
// session): its "TaskbarCreated" broadcast makes the program add its own
// again, with the picture and tip it has now.
TEST(Tray, TaskbarCreatedAddsTheIconAgain) {
    HWND window = makeWindow();
    ASSERT_NE(window, nullptr);
    TrayIcon icon;
    icon.add(window, &trayIconFile(TrayTone::down), "Qerno网络检测\n中断 1", true, recordEvent);
    NOTIFYICONDATAW probe = icon.record();
    probe.uFlags = NIF_TIP;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &probe)) << "no notification area to test with";
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &probe));  // what a shell restart does to it
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &probe));
    ASSERT_NE(taskbarCreatedMessage(), 0u);
    SendMessageW(window, taskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &probe));
    EXPECT_EQ(std::wstring(icon.record().szTip), L"Qerno\u7f51\u7edc\u68c0\u6d4b\n\u4e2d\u65ad 1");
    icon.remove();
    DestroyWindow(window);
}

TEST(Tray, AddBalloonModifyAndRemove) {
    HWND window = makeWindow();
    ASSERT_NE(window, nullptr);
    const LONG_PTR own = GetWindowLongPtrW(window, GWLP_WNDPROC);
    TrayIcon icon;
    icon.add(window, &programIconFile(), "Qerno网络检测", true, recordEvent);
    ASSERT_TRUE(icon.installed());
    const NOTIFYICONDATAW& r = icon.record();
    EXPECT_EQ(r.cbSize, kTrayRecordSize);
    EXPECT_EQ(r.hWnd, window);
    EXPECT_EQ(r.uID, 1u);
    EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(r.uCallbackMessage, 123456u);
    EXPECT_NE(r.hIcon, nullptr);
    EXPECT_EQ(std::wstring(r.szTip), L"Qerno\u7f51\u7edc\u68c0\u6d4b");
    const LONG_PTR tray = GetWindowLongPtrW(window, GWLP_WNDPROC);
    EXPECT_NE(tray, own);

    // The icon's mouse messages go to the handler only; others pass through.
    g_events.clear();
    g_ownProcCalls = 0;
    EXPECT_EQ(SendMessageW(window, kTrayCallbackMessage, 1, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(SendMessageW(window, kTrayCallbackMessage, 1, WM_RBUTTONDOWN), 0);
    SendMessageW(window, WM_USER + 7, 0, 0);
    EXPECT_EQ(g_events, (std::vector<int>{WM_LBUTTONDOWN, WM_RBUTTONDOWN}));
    EXPECT_EQ(g_ownProcCalls, 1);

    icon.showBalloon("欢迎使用", "Qerno网络检测", NIIF_INFO);
    EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(std::wstring(r.szInfoTitle), L"\u6b22\u8fce\u4f7f\u7528");
    EXPECT_EQ(std::wstring(r.szInfo), L"Qerno\u7f51\u7edc\u68c0\u6d4b");
    EXPECT_EQ(r.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));

    // A second add modifies: the tip changes, the procedure stays, and a tip
    // longer than the record's 127 characters is cut.
    icon.add(window, nullptr, Text(std::string(200, 'x')), true, nullptr);
    EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(std::wstring(r.szTip), std::wstring(127, L'x'));
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), tray);

    icon.remove();
    EXPECT_FALSE(icon.installed());
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), own);
    g_ownProcCalls = 0;
    SendMessageW(window, kTrayCallbackMessage, 1, WM_LBUTTONDOWN);
    EXPECT_EQ(g_ownProcCalls, 1);
    DestroyWindow(window);
}

// The program's icon belongs to its UiState: the free commands act on the
// current one, and an icon still installed when its state goes is removed.
TEST(Tray, TheCurrentStatesIconIsTheProgramsAndGoesWithIt) {
    HWND window = makeWindow();
    ASSERT_NE(window, nullptr);
    const LONG_PTR own = GetWindowLongPtrW(window, GWLP_WNDPROC);
    {
        UiState state;
        addTrayIcon(window, &programIconFile(), "Qerno网络检测", true, recordEvent);
        EXPECT_TRUE(state.tray.installed());
        EXPECT_TRUE(trayIconInstalled());
        EXPECT_EQ(&trayRecord(), &state.tray.record());
        {
            UiState inner;  // stands in for the outer one while it lives
            EXPECT_FALSE(trayIconInstalled());
        }
        EXPECT_TRUE(trayIconInstalled());
    }
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), own);
    DestroyWindow(window);
}

}  // namespace
