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
