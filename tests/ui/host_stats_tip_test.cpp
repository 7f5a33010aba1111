// The statistics tooltip on a real list view: hovering a row shows that
// host's text in the tracking tooltip, moving off the rows or out of the
// list hides it, and the tip's state ends with the list.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "runtime/codepage.h"
#include "runtime/win32/subclass.h"
#include "tests/ui/screen_capture.h"
#include "tests/ui/ui_test_support.h"
#include "ui/host_stats_tip.h"

namespace {

constexpr int kRows = 3;           // hosts 11, 12, 13; host 13 has no text
constexpr int kQuietHost = 13;
constexpr int kTipTextCapacity = 512;

class HostStatsTipTest : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        parent = CreateWindowExW(0, L"STATIC", L"tip test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 500, 300,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(parent);
        list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 480, 260, parent,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(list);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.cx = 300;
        column.pszText = const_cast<wchar_t*>(L"name");
        ListView_InsertColumn(list, 0, &column);
        for (int row = 0; row < kRows; ++row) {
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = row;
            item.pszText = const_cast<wchar_t*>(L"host");
            item.lParam = 11 + row;
            ListView_InsertItem(list, &item);
        }
        tip = installHostStatsTip(list, parent, [this](int host) {
            ++asked;
            if (!realistic.str().empty()) return realistic;
            return host == kQuietHost ? Text() : Text("主机 " + std::to_string(host) + "\r\n发送 3600 · 丢失 12 (0.3%)");
        });
        ASSERT_TRUE(tip);
        pump();
    }
    void TearDown() override {
        if (IsWindow(parent)) DestroyWindow(parent);
        pump();
    }

    // The middle of a row, in the list's client coordinates.
    POINT rowMiddle(int row) {
        RECT r{};
        r.left = LVIR_BOUNDS;
        ListView_GetItemRect(list, row, &r, LVIR_BOUNDS);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void hover(POINT at) {
        SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        pump();
    }
    bool tipShown() { return IsWindowVisible(tip) != FALSE; }
    std::wstring tipText() {
        wchar_t buffer[kTipTextCapacity] = {};
        TOOLINFOW ti{};
        ti.cbSize = sizeof ti;
        ti.hwnd = list;
        ti.uId = reinterpret_cast<UINT_PTR>(list);
        ti.lpszText = buffer;
        SendMessageW(tip, TTM_GETTEXTW, kTipTextCapacity, reinterpret_cast<LPARAM>(&ti));
        return buffer;
    }

    HWND parent = nullptr, list = nullptr, tip = nullptr;
    int asked = 0;
    Text realistic;  // the screenshot's text for every host
};

TEST_F(HostStatsTipTest, HoveringARowShowsItsHostsTextNearThePointer) {
    EXPECT_FALSE(tipShown());
    hover(rowMiddle(1));
    ASSERT_TRUE(tipShown());
    EXPECT_EQ(tipText(), toWide(Text("主机 12\r\n发送 3600 · 丢失 12 (0.3%)")));
    RECT shown{};
    GetWindowRect(tip, &shown);
    POINT pointer = rowMiddle(1);
    ClientToScreen(list, &pointer);
    EXPECT_GT(shown.left, pointer.x);  // right of and below the pointer, not under it
    EXPECT_GT(shown.top, pointer.y);

    hover(rowMiddle(0));
    ASSERT_TRUE(tipShown());
    EXPECT_EQ(tipText(), toWide(Text("主机 11\r\n发送 3600 · 丢失 12 (0.3%)")));
}

// Not a check: with QERNO_UI_SHOTS set, the tooltip of the program's own
// texts over a list, as a user sees it.
TEST_F(HostStatsTipTest, Screenshot) {
    const char* shots = std::getenv("QERNO_UI_SHOTS");
    if (!shots) GTEST_SKIP() << "QERNO_UI_SHOTS names no folder";
    realistic = Text("程序启动以来：发送 3600 · 丢失 12 (0.3%) · 最小 8 ms · 平均 11 ms · 最大 240 ms · 抖动 2 ms\r\n"
                    "本次启动以来：发送 1200 · 丢失 0 (0.0%) · 最小 8 ms · 平均 10 ms · 最大 31 ms · 抖动 1 ms\r\n"
                    "当前：网络良好，已持续 20 分 5 秒");
    hover(rowMiddle(0));
    Sleep(300);
    pump();
    RECT parentBox{}, tipBox{};
    GetWindowRect(parent, &parentBox);
    GetWindowRect(tip, &tipBox);
    UnionRect(&parentBox, &parentBox, &tipBox);
    Capture(nullptr, parentBox).save(shotPath(shots, "stats-tooltip"));
}

TEST_F(HostStatsTipTest, OffTheRowsOrAHostWithoutTextOrOutOfTheListHides) {
    hover(rowMiddle(0));
    ASSERT_TRUE(tipShown());
    RECT client{};
    GetClientRect(list, &client);
    hover({client.right / 2, client.bottom - 5});  // below the last row
    EXPECT_FALSE(tipShown());

    hover(rowMiddle(0));
    ASSERT_TRUE(tipShown());
    hover(rowMiddle(2));
    EXPECT_FALSE(tipShown());

    hover(rowMiddle(1));
    ASSERT_TRUE(tipShown());
    SendMessageW(list, WM_MOUSELEAVE, 0, 0);
    pump();
    EXPECT_FALSE(tipShown());
}

TEST_F(HostStatsTipTest, OneTipPerListAndItsStateEndsWithTheList) {
    EXPECT_EQ(installHostStatsTip(list, parent, [](int) { return Text("x"); }), nullptr);
    hover(rowMiddle(0));
    EXPECT_EQ(asked, 1);  // the first source still answers
    DestroyWindow(parent);
    pump();
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(subclassCount(list), 0);
}

}  // namespace
