// The three windows as built: outer sizes, borders, titles, every control's
// place and size, list columns, page switching and the re-layout rule. The
// expected numbers are the layout tables, written out here on their own.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "runtime/win32/window_commands.h"
#include "ui/about_window.h"
#include "ui/host_dialog.h"
#include "ui/main_window.h"
#include "ui/status_icons.h"
#include "ui_test_support.h"

namespace {

struct Placed {
    int unit;
    const char* kind;  // window class
    Box box;           // relative to the stated origin
    const char* text;  // nullptr: not checked
};

void expectCentred(HWND hwnd) {
    Box b = outerBox(hwnd);
    EXPECT_NEAR(b.left, (GetSystemMetrics(SM_CXSCREEN) - b.width) / 2, 1);
    EXPECT_NEAR(b.top, (GetSystemMetrics(SM_CYSCREEN) - b.height) / 2, 1);
}

// A dialog of fixed size: no sizing border, no minimise or maximise box,
// centred on the screen.
void expectFixedDialog(HWND hwnd, int width, int height, const char* title) {
    EXPECT_EQ(outerBox(hwnd).width, width);
    EXPECT_EQ(outerBox(hwnd).height, height);
    EXPECT_EQ(textOf(hwnd), Text(title));
    EXPECT_FALSE(GetWindowLongW(hwnd, GWL_STYLE) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    expectCentred(hwnd);
}

void expectControls(Window& w, const Placed* placed, int n, POINT origin) {
    for (int i = 0; i < n; ++i) {
        const Placed& p = placed[i];
        HWND hwnd = w.unitHandle(p.unit);
        ASSERT_NE(hwnd, nullptr) << p.unit;
        wchar_t cls[64];
        GetClassNameW(hwnd, cls, 64);
        EXPECT_EQ(fromWide(cls), Text(p.kind)) << w.control(p.unit)->name;
        Box b = childBox(hwnd);
        Box expected{origin.x + p.box.left, origin.y + p.box.top, p.box.width, p.box.height};
        EXPECT_EQ(b, expected) << w.control(p.unit)->name;
        if (p.text) {
            EXPECT_EQ(textOf(hwnd), Text(p.text)) << w.control(p.unit)->name;
        }
    }
}

struct Column {
    const char* title;
    int width;
    int format;
};

void expectColumns(HWND list, const std::vector<Column>& columns) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(columns.size()));
    for (size_t i = 0; i < columns.size(); ++i) {
        wchar_t title[64] = {};
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.pszText = title;
        col.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col)));
        EXPECT_EQ(fromWide(title), Text(columns[i].title));
        EXPECT_EQ(col.cx, columns[i].width) << columns[i].title;
        EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, columns[i].format) << columns[i].title;
    }
}

void expectReportListStyle(HWND list) {
    LONG style = GetWindowLongW(list, GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_FALSE(style & (LVS_SINGLESEL | LVS_EDITLABELS | LVS_SORTASCENDING | LVS_SORTDESCENDING |
                          LVS_NOSORTHEADER | LVS_NOCOLUMNHEADER));
    EXPECT_TRUE(GetWindowLongW(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    DWORD ex = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(ex & LVS_EX_GRIDLINES);
    EXPECT_FALSE(ex & LVS_EX_CHECKBOXES);
}

// Sizes the re-layout rule gives, from the live client sizes.
void expectRelayout(Window& w) {
    using namespace MainWin;
    RECT client;
    GetClientRect(w.handle(), &client);
    HWND tab = w.unitHandle(选择夹_通讯);
    EXPECT_EQ(childBox(tab), (Box{8, 8, client.right - 16, client.bottom - 16}));
    RECT tc;
    GetClientRect(tab, &tc);
    EXPECT_EQ(childBox(w.unitHandle(超级列表框_通讯)), (Box{8, 41, tc.right, tc.bottom - 35}));
    EXPECT_EQ(childBox(w.unitHandle(外形框1)), (Box{9, 41, tc.right - 2, tc.bottom - 35}));
    EXPECT_EQ(childBox(w.unitHandle(超级列表框_日志)), (Box{8, 78, tc.right, tc.bottom - 75}));
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(loadWindow(mainWindow()));
        pump();
    }
    void TearDown() override { unload(mainWindow()); }
    Window& w = mainWindow();
};

TEST_F(MainWindowTest, WindowFrameTitleAndPlacement) {
    HWND hwnd = w.handle();
    EXPECT_EQ(outerBox(hwnd).width, 900);
    EXPECT_EQ(outerBox(hwnd).height, 600);
    EXPECT_EQ(textOf(hwnd), Text("Qerno网络检测"));
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr);  // shown in the task bar
    EXPECT_TRUE(IsWindowVisible(hwnd));
    expectCentred(hwnd);
}

TEST_F(MainWindowTest, ControlsSitWhereTheLayoutPutsThem) {
    using namespace MainWin;
    // On the tab page: relative to the tab control's origin (8, 8).
    const Placed onPage[] = {
        {日期框_开始日期, "SysDateTimePick32", {88, 40, 160, 24}, nullptr},
        {标签3, "Static", {252, 40, 16, 24}, "至"},
        {日期框_结束日期, "SysDateTimePick32", {275, 40, 160, 24}, nullptr},
        {标签1, "Static", {504, 40, 56, 24}, "日志类型："},
        {组合框1, "ComboBox", {560, 40, 112, 24}, nullptr},
        {按钮_查询日志, "Button", {680, 36, 80, 32}, "查询"},
    };
    expectControls(w, onPage, 6, {8, 8});
    // Inside the frame panel: relative to its origin, (8 + 1, 8 + 33).
    const Placed inFrame[] = {
        {选择框_时间, "Button", {31, 7, 64, 24}, "时间："},
        {按钮_清空日志, "Button", {795, 3, 80, 32}, "清空日志"},
    };
    expectControls(w, inFrame, 2, {9, 41});
    const Placed onWindow[] = {{标签_消息接收, "Static", {24, 104, 30, 30}, "事件"}};
    expectControls(w, onWindow, 1, {0, 0});
    EXPECT_FALSE(IsWindowVisible(w.unitHandle(标签_消息接收)));
    expectRelayout(w);

    HWND tab = w.unitHandle(选择夹_通讯);
    EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 2);
    RECT header;
    SendMessageW(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(header.bottom - header.top, 30);
    HWND combo = w.unitHandle(组合框1);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    const char* items[] = {"全部", "异常", "超时"};
    for (int i = 0; i < 3; ++i) {
        wchar_t item[16] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_EQ(fromWide(item), Text(items[i]));
    }
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(GetWindowLongW(combo, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(SendMessageW(w.unitHandle(选择框_时间), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

// The log filter reads whole: the start date is above the "时间：" box that
// reaches over its left edge, and "日志类型：" stays on one line.
TEST_F(MainWindowTest, LogFiltersAreNotCoveredOrWrapped) {
    using namespace MainWin;
    HWND tab = w.unitHandle(选择夹_通讯);
    SendMessageW(tab, TCM_SETCURSEL, 1, 0);
    NMHDR note{tab, static_cast<UINT_PTR>(选择夹_通讯), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(w.handle(), WM_NOTIFY, 选择夹_通讯, reinterpret_cast<LPARAM>(&note));
    pump();
    // (100, 58) in the window: inside the check box (frame origin 9,41 +
    // 31..95, 7..31) and inside the start date (tab origin 8,8 + 88..248, 40..64).
    const POINT overlap{100, 58};
    EXPECT_EQ(ChildWindowFromPointEx(w.handle(), overlap, CWP_SKIPINVISIBLE), w.unitHandle(日期框_开始日期));
    EXPECT_EQ(GetWindowLongW(w.unitHandle(标签1), GWL_STYLE) & SS_TYPEMASK, SS_LEFTNOWORDWRAP);
}

TEST_F(MainWindowTest, ListsHaveTheirColumnsStylesAndIcons) {
    using namespace MainWin;
    HWND hosts = w.unitHandle(超级列表框_通讯), log = w.unitHandle(超级列表框_日志);
    expectReportListStyle(hosts);
    expectReportListStyle(log);
    expectColumns(hosts, {{"备注名称", 150, LVCFMT_LEFT}, {"通讯地址", 200, LVCFMT_LEFT},
                          {"延时", 100, LVCFMT_RIGHT}, {"通讯状态", 120, LVCFMT_LEFT},
                          {"异常/超时记录", 100, LVCFMT_CENTER}, {"平均时间", 100, LVCFMT_LEFT}});
    expectColumns(log, {{"时间", 200, LVCFMT_LEFT}, {"名称", 150, LVCFMT_LEFT}, {"IP", 120, LVCFMT_LEFT},
                        {"延时", 100, LVCFMT_LEFT}, {"状态", 100, LVCFMT_LEFT}});
    EXPECT_TRUE(SendMessageW(hosts, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_SUBITEMIMAGES);
    auto icons = reinterpret_cast<HIMAGELIST>(SendMessageW(hosts, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(icons, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(icons), 4);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(icons, &cx, &cy);
    EXPECT_EQ(cx, 18);
    EXPECT_EQ(cy, 12);
    EXPECT_EQ(SendMessageW(log, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
}

TEST_F(MainWindowTest, ChoosingATabShowsOnlyThatPage) {
    using namespace MainWin;
    const int logPage[] = {外形框1, 选择框_时间, 按钮_清空日志, 日期框_开始日期, 标签3,
                           日期框_结束日期, 标签1, 组合框1, 按钮_查询日志, 超级列表框_日志};
    auto pageShown = [&](bool log) {
        EXPECT_EQ(IsWindowVisible(w.unitHandle(超级列表框_通讯)) != 0, !log);
        for (int unit : logPage) EXPECT_EQ(IsWindowVisible(w.unitHandle(unit)) != 0, log) << unit;
        EXPECT_FALSE(IsWindowVisible(w.unitHandle(标签_消息接收)));
    };
    pageShown(false);
    HWND tab = w.unitHandle(选择夹_通讯);
    auto choose = [&](int page) {
        SendMessageW(tab, TCM_SETCURSEL, page, 0);
        NMHDR note{tab, static_cast<UINT_PTR>(选择夹_通讯), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(w.handle(), WM_NOTIFY, 选择夹_通讯, reinterpret_cast<LPARAM>(&note));
    };
    choose(1);
    pageShown(true);
    choose(0);
    pageShown(false);
}

TEST_F(MainWindowTest, MaximiseAndRestoreKeepTheRelayoutRule) {
    Box before = childBox(w.unitHandle(MainWin::超级列表框_通讯));
    ShowWindow(w.handle(), SW_MAXIMIZE);
    pump();
    ASSERT_TRUE(IsZoomed(w.handle()));
    expectRelayout(w);
    EXPECT_GT(childBox(w.unitHandle(MainWin::超级列表框_通讯)).width, before.width);
    ShowWindow(w.handle(), SW_RESTORE);
    pump();
    expectRelayout(w);
    EXPECT_EQ(childBox(w.unitHandle(MainWin::超级列表框_通讯)), before);
}

TEST(StatusIcons, FourSignalBarsInTheirColours) {
    HIMAGELIST icons = createStatusIcons();
    ASSERT_NE(icons, nullptr);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 18, 12);
    HGDIOBJ old = SelectObject(dc, canvas);
    const COLORREF dominant[] = {RGB(0, 255, 0), RGB(255, 128, 0), RGB(255, 0, 0), RGB(72, 72, 72)};
    for (int i = 0; i < 4; ++i) {
        RECT all{0, 0, 18, 12};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ImageList_Draw(icons, i, dc, 0, 0, ILD_NORMAL);
        COLORREF tallBar = GetPixel(dc, 14, 1), corner = GetPixel(dc, 0, 0);
        EXPECT_EQ(corner, RGB(255, 255, 255)) << i;  // the mask leaves the background
        EXPECT_NE(tallBar, RGB(255, 255, 255)) << i;
        // The bar's strongest channel is the class colour's.
        int r = GetRValue(tallBar), g = GetGValue(tallBar), b = GetBValue(tallBar);
        const bool classColour[] = {g > r && g > b, r > g && g > b, r > g && r > b && g < 40,
                                    r == g && g == b && r < 128};
        EXPECT_TRUE(classColour[i]) << i;
        (void)dominant;
    }
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    ImageList_Destroy(icons);
}

TEST(HostDialogLayout, EveryControlAsInTheTable) {
    using namespace HostDlg;
    ASSERT_TRUE(loadWindow(hostDialog()));
    pump();
    Window& w = hostDialog();
    expectFixedDialog(w.handle(), 400, 320, "");
    EXPECT_TRUE(GetWindowLongW(w.handle(), GWL_STYLE) & WS_SYSMENU);
    const Placed controls[] = {
        {标签1, "Static", {48, 20, 64, 24}, "备注名称"},
        {编辑框_备注名称, "Edit", {112, 20, 208, 24}, ""},
        {标签2, "Static", {48, 52, 64, 24}, "IP/域名"},
        {编辑框_通讯地址, "Edit", {112, 52, 208, 24}, ""},
        {标签5, "Static", {48, 84, 64, 24}, "网络良好"},
        {编辑框_网络良好, "Edit", {112, 84, 94, 24}, "30"},
        {颜色选择器_网络良好, "QernoColourPicker", {212, 84, 108, 24}, nullptr},
        {标签4, "Static", {48, 116, 64, 24}, "网络正常"},
        {编辑框_网络正常, "Edit", {112, 116, 94, 24}, "100"},
        {颜色选择器_网络正常, "QernoColourPicker", {212, 116, 108, 24}, nullptr},
        {标签7, "Static", {48, 148, 64, 24}, "网络异常"},
        {编辑框_网络异常, "Edit", {112, 148, 94, 24}, "200"},
        {颜色选择器_网络异常, "QernoColourPicker", {212, 148, 108, 24}, nullptr},
        {标签6, "Static", {48, 180, 64, 24}, "连接超时"},
        {编辑框_网络超时, "Edit", {112, 180, 94, 24}, "500"},
        {颜色选择器_网络超时, "QernoColourPicker", {212, 180, 108, 24}, nullptr},
        {选择框1, "Button", {112, 210, 94, 24}, "记录日志"},
        {选择框2, "Button", {212, 210, 108, 24}, "立即启动"},
        {按钮1, "Button", {240, 236, 80, 32}, "确 定"},
    };
    expectControls(w, controls, 19, {0, 0});
    const std::pair<int, int> colours[] = {{颜色选择器_网络良好, 0x008000}, {颜色选择器_网络正常, 0x0080FF},
                                           {颜色选择器_网络异常, 0x0000FF}, {颜色选择器_网络超时, 0x606060}};
    for (auto [unit, colour] : colours)
        EXPECT_EQ(std::get<std::int32_t>(getProperty(unitOf(w, unit), Property::Colour)), colour);
    EXPECT_FALSE(std::get<bool>(getProperty(unitOf(w, 选择框1), Property::Checked)));
    EXPECT_TRUE(std::get<bool>(getProperty(unitOf(w, 选择框2), Property::Checked)));
    EXPECT_FALSE(IsWindowVisible(w.unitHandle(选择框2)));  // carries `auto`, never shown
    unload(w);
}

TEST(AboutWindowLayout, EveryControlAsInTheTable) {
    using namespace AboutWin;
    ASSERT_TRUE(loadWindow(aboutWindow()));
    pump();
    Window& w = aboutWindow();
    expectFixedDialog(w.handle(), 380, 280, "关于");
    const Placed controls[] = {
        {图片框_图片, "Static", {0, 0, 380, 90}, nullptr},
        {标签_程序, "Static", {20, 100, 340, 24}, "程序"},
        {标签_作者, "Static", {20, 125, 340, 24}, "作者"},
        {标签_其他, "Static", {20, 150, 340, 24}, "其他"},
        {标签_网址, "Static", {20, 175, 340, 24}, "网址"},
        {按钮_确认, "Button", {278, 209, 80, 32}, "确认"},
    };
    expectControls(w, controls, 6, {0, 0});
    BITMAP banner{};
    auto image = reinterpret_cast<HBITMAP>(SendMessageW(w.unitHandle(图片框_图片), STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_TRUE(GetObjectW(image, sizeof(banner), &banner));
    EXPECT_EQ(banner.bmWidth, 380);
    EXPECT_EQ(banner.bmHeight, 90);
    EXPECT_EQ(banner.bmBitsPixel, 24);
    // The link's text colour, as the window answers its label's colour query.
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(w.handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(w.unitHandle(标签_网址)));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 136, 255));
    DeleteDC(dc);
    unload(w);
}

}  // namespace
