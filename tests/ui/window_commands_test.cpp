// Loading and closing windows, event routing to the action slots, the
// properties, and popup menus.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "runtime/convert.h"
#include "runtime/datetime.h"
#include "runtime/win32/window_commands.h"
#include "ui/about_window.h"
#include "ui/actions.h"
#include "ui/host_dialog.h"
#include "ui/main_window.h"
#include "ui/ui_state.h"
#include "ui_test_support.h"

namespace {

// The names only spell the runtime's numbering; the numbers themselves stay fixed.
static_assert(WindowPosition::Normal == 0 && WindowPosition::RestoreAndCentre == 1 &&
              WindowPosition::Minimised == 2 && WindowPosition::Maximised == 3);

struct Search {
    const wchar_t* title;
    int count;
};

BOOL CALLBACK countTitle(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    wchar_t text[64] = {};
    GetWindowTextW(hwnd, text, 64);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId() && wcscmp(text, s->title) == 0) ++s->count;
    return TRUE;
}

int countTopLevel(const wchar_t* title) {
    Search s{title, 0};
    EnumWindows(countTitle, reinterpret_cast<LPARAM>(&s));
    return s.count;
}

// Picks the first item from inside the popup menu's own loop, as a user would.
void CALLBACK pickFirstItem(HWND owner, UINT, UINT_PTR id, DWORD) {
    KillTimer(owner, id);
    HWND menu = FindWindowW(L"#32768", nullptr);
    auto handle = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    // Every item of the template, in its order; "清空日志" first.
    const MenuTemplate& logMenu = mainWindow().layout().menus[MainWin::日志菜单];
    ASSERT_EQ(GetMenuItemCount(handle), logMenu.itemCount);
    for (int i = 0; i < logMenu.itemCount; ++i) {
        wchar_t text[32] = {};
        GetMenuStringW(handle, i, text, 32, MF_BYPOSITION);
        EXPECT_EQ(fromWide(text), Text(logMenu.items[i])) << i;
    }
    EXPECT_EQ(Text(logMenu.items[0]), Text("清空日志"));
    EXPECT_EQ(Text(logMenu.items[1]), Text("导出…"));
    EXPECT_EQ(Text(logMenu.items[2]), Text("生成报告…"));
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(LoadWindow, RaisesCreatedThenMovedThenResizedWhileLoading) {
    Window probe(hostDialog().layout());
    std::vector<WindowEvent> events;
    for (WindowEvent e : {WindowEvent::Created, WindowEvent::Moved, WindowEvent::Resized})
        probe.setHandler(e, [&events, e](int, int) -> std::optional<int> {
            events.push_back(e);
            return std::nullopt;
        });
    ASSERT_TRUE(loadWindow(probe));
    // Showing the window may report its first move and size again afterwards.
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(std::vector<WindowEvent>(events.begin(), events.begin() + 3),
              (std::vector<WindowEvent>{WindowEvent::Created, WindowEvent::Moved, WindowEvent::Resized}));
    unload(probe);
}

TEST(LoadWindow, AnOpenWindowIsActivatedNotCreatedAgain) {
    ASSERT_TRUE(loadWindow(mainWindow()));
    ASSERT_TRUE(loadWindow(aboutWindow(), &mainWindow()));
    HWND first = aboutWindow().handle();
    EXPECT_EQ(GetWindow(first, GW_OWNER), mainWindow().handle());
    ShowWindow(first, SW_MINIMIZE);
    ASSERT_TRUE(loadWindow(aboutWindow(), &mainWindow()));
    EXPECT_EQ(aboutWindow().handle(), first);
    EXPECT_FALSE(IsIconic(first));  // restored
    EXPECT_EQ(countTopLevel(L"\u5173\u4e8e"), 1);  // "关于"
    unload(aboutWindow());
    unload(mainWindow());
}

TEST(LoadWindow, AParentThatIsNotLoadedFails) {
    EXPECT_FALSE(loadWindow(aboutWindow(), &hostDialog()));
    EXPECT_FALSE(aboutWindow().loaded());
}

TEST(DestroyWindow, ClosesWhenTheLoopProcessesTheRequest) {
    Window probe(aboutWindow().layout());
    bool destroying = false;
    probe.setHandler(WindowEvent::Destroying, [&](int, int) -> std::optional<int> {
        destroying = true;
        return std::nullopt;
    });
    ASSERT_TRUE(loadWindow(probe));
    destroyWindow(probe);
    EXPECT_TRUE(probe.loaded());  // only requested
    EXPECT_TRUE(probe.closing());
    pump();
    EXPECT_FALSE(probe.loaded());
    EXPECT_TRUE(destroying);
    // Loaded again after closing: a new window.
    ASSERT_TRUE(loadWindow(probe));
    EXPECT_TRUE(probe.loaded());
    unload(probe);
}

TEST(DestroyWindow, ACloseQueryAnsweringZeroKeepsTheWindow) {
    Window probe(aboutWindow().layout());
    probe.setHandler(WindowEvent::CloseQuery, [](int, int) -> std::optional<int> { return 0; });
    ASSERT_TRUE(loadWindow(probe));
    SendMessageW(probe.handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(probe.loaded());
    probe.setHandler(WindowEvent::CloseQuery, nullptr);
    SendMessageW(probe.handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(probe.loaded());
}

class RoutingTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(loadWindow(mainWindow()));
        pump();
    }
    void TearDown() override { unload(mainWindow()); }

    UiState state;  // this test's slots, empty at the start
};

TEST_F(RoutingTest, MenuItemsButtonsAndListsReachTheirSlots) {
    using namespace MainWin;
    std::vector<std::string> calls;
    auto record = [&calls](const char* name) { return [&calls, name] { calls.push_back(name); }; };
    UiActions& a = uiActions();
    a.addHost = record("add");
    a.editHost = record("edit");
    a.deleteHosts = record("delete");
    a.startAllTasks = record("startAll");
    a.stopAllTasks = record("stopAll");
    a.startSelectedTask = record("start");
    a.stopSelectedTask = record("stop");
    a.clearLog = record("clear");
    a.queryLog = record("query");
    a.showMainWindow = record("show");
    a.openMakerSite = record("site");
    a.exitProgram = record("exit");
    HWND main = mainWindow().handle();
    for (int item : {添加, 修改, 删除, 全部启动, 全部停止, 启动, 停止, 清空日志, 显示, 更多软件, 退出})
        SendMessageW(main, WM_COMMAND, MAKEWPARAM(item, 0), 0);
    for (int button : {按钮_查询日志, 按钮_清空日志})
        SendMessageW(main, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(mainWindow().unitHandle(button)));
    SendMessageW(mainWindow().unitHandle(超级列表框_通讯), WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 30));
    EXPECT_EQ(calls, (std::vector<std::string>{"add", "edit", "delete", "startAll", "stopAll", "start",
                                               "stop", "clear", "show", "site", "exit", "query", "clear",
                                               "edit"}));
}

TEST_F(RoutingTest, AboutMenuItemOpensTheAboutWindowOwnedByTheMainWindow) {
    SendMessageW(mainWindow().handle(), WM_COMMAND, MAKEWPARAM(MainWin::关于程序, 0), 0);
    ASSERT_TRUE(aboutWindow().loaded());
    EXPECT_EQ(GetWindow(aboutWindow().handle(), GW_OWNER), mainWindow().handle());
    SendMessageW(aboutWindow().handle(), WM_COMMAND, MAKEWPARAM(AboutWin::按钮_确认, BN_CLICKED),
                 reinterpret_cast<LPARAM>(aboutWindow().unitHandle(AboutWin::按钮_确认)));
    EXPECT_TRUE(aboutWindow().closing());
    pump();
    EXPECT_FALSE(aboutWindow().loaded());
}

TEST_F(RoutingTest, TheReceiverReportsWithTheSlotsResult) {
    HWND receiver = mainWindow().unitHandle(MainWin::标签_消息接收);
    EXPECT_EQ(SendMessageW(receiver, kReportMessage, 1, 2), 0);  // empty slot
    std::intptr_t got1 = 0, got2 = 0;
    uiActions().statusReport = [&](std::intptr_t wp, std::intptr_t lp) { got1 = wp; got2 = lp; return 77; };
    EXPECT_EQ(SendMessageW(receiver, kReportMessage, 0x1234, -5), 77);
    EXPECT_EQ(got1, 0x1234);
    EXPECT_EQ(got2, -5);
    // The first value is a hand-off block's address: it arrives as a whole word.
    const auto block = std::make_unique<int>(0);
    const auto address = reinterpret_cast<std::intptr_t>(block.get());
    EXPECT_EQ(SendMessageW(receiver, kReportMessage, static_cast<WPARAM>(address), 0), 77);
    EXPECT_EQ(got1, address);
}

// Windows may end the process once WM_ENDSESSION returns: the slot runs
// while it is being handled, and only when the session really ends.
TEST_F(RoutingTest, SessionEndingRunsItsSlotOnlyWhenTheSessionEnds) {
    int ending = 0;
    uiActions().sessionEnding = [&] { ++ending; };
    SendMessageW(mainWindow().handle(), WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(ending, 0);
    SendMessageW(mainWindow().handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(ending, 1);
    EXPECT_TRUE(mainWindow().loaded());  // ending work only; the window stays
}

TEST_F(RoutingTest, PropertiesReadAndWrite) {
    using namespace MainWin;
    Window& w = mainWindow();
    setProperty(unitOf(w), Property::Title, Text("标题"));
    EXPECT_EQ(std::get<Text>(getProperty(unitOf(w), Property::Title)), Text("标题"));
    EXPECT_EQ(std::get<std::int32_t>(getProperty(unitOf(w), Property::Width)), 900);
    setProperty(unitOf(w, 组合框1), Property::ComboSelection, 2);
    EXPECT_EQ(std::get<std::int32_t>(getProperty(unitOf(w, 组合框1), Property::ComboSelection)), 2);
    EXPECT_EQ(comboItemData(unitOf(w, 组合框1), -1), -1);
    EXPECT_EQ(comboItemData(unitOf(w, 组合框1), 3), -1);
    SendMessageW(w.unitHandle(组合框1), CB_SETITEMDATA, 1, 42);
    EXPECT_EQ(comboItemData(unitOf(w, 组合框1), 1), 42);
    DateTime start = toDateTime(Text("2016-12-23 0:0:0"));
    setProperty(unitOf(w, 日期框_开始日期), Property::DateValue, start);
    EXPECT_EQ(std::get<DateTime>(getProperty(unitOf(w, 日期框_开始日期), Property::DateValue)), start);
    setProperty(unitOf(w, 选择框_时间), Property::Checked, true);
    EXPECT_TRUE(std::get<bool>(getProperty(unitOf(w, 选择框_时间), Property::Checked)));
    // Position: maximise, then restore-and-centre.
    setProperty(unitOf(w), Property::WindowPosition, WindowPosition::Maximised);
    EXPECT_EQ(std::get<std::int32_t>(getProperty(unitOf(w), Property::WindowPosition)), WindowPosition::Maximised);
    SetWindowPos(w.handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    setProperty(unitOf(w), Property::WindowPosition, WindowPosition::RestoreAndCentre);
    EXPECT_EQ(std::get<std::int32_t>(getProperty(unitOf(w), Property::WindowPosition)), WindowPosition::Normal);
    RECT r;
    GetWindowRect(w.handle(), &r);
    EXPECT_EQ(r.right - r.left, 900);
    EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - 900) / 2, 1);
    EXPECT_EQ(std::get<std::int32_t>(getProperty(unitOf(w, 超级列表框_通讯), Property::FirstSelected)), -1);
}

// "显示" after the close box hid a maximised window (minimised, then hidden):
// it comes back at its normal size, centred, not maximised.
TEST_F(RoutingTest, RestoreAndCentreBringsAMaximisedHiddenWindowBackNormal) {
    Window& w = mainWindow();
    const Unit main = unitOf(w);
    setProperty(main, Property::WindowPosition, WindowPosition::Maximised);
    ASSERT_TRUE(IsZoomed(w.handle()));
    setProperty(main, Property::WindowPosition, WindowPosition::Minimised);
    setProperty(main, Property::Visible, 0);
    pump();
    setProperty(main, Property::Visible, true);
    setProperty(main, Property::WindowPosition, WindowPosition::RestoreAndCentre);
    pump();
    EXPECT_FALSE(IsZoomed(w.handle()));
    EXPECT_FALSE(IsIconic(w.handle()));
    RECT r;
    GetWindowRect(w.handle(), &r);
    EXPECT_EQ(r.right - r.left, 900);
    EXPECT_EQ(r.bottom - r.top, 600);
    EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - 900) / 2, 1);
    EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - 600) / 2, 1);
}

TEST_F(RoutingTest, PopupMenuShowsTheTemplateItemsAndRoutesTheChoice) {
    int chosen = 0;
    uiActions().clearLog = [&] { ++chosen; };
    SetTimer(mainWindow().handle(), 1, 10, pickFirstItem);
    popupMenu(mainWindow(), MainWin::日志菜单, 300, 300);
    EXPECT_EQ(chosen, 0);  // the handler runs from the loop, afterwards
    pump();
    EXPECT_EQ(chosen, 1);
}

}  // namespace
