// The real program and the probe program, started in a run folder of their
// own and read back from this process: window layout, re-layout after
// maximise and restore, page switching, the host menu, the runtime-error
// box and exit code, and the end from a worker thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "runtime/codepage.h"
#include "store/schema.h"
#include "tests/e2e/helper/driver.h"
#include "tests/e2e/run_folder.h"

namespace {

using e2e::Box;

const std::wstring kMainTitle = L"Qerno\u7f51\u7edc\u68c0\u6d4b";  // Qerno网络检测
const std::wstring kAddTitle = L"\u6dfb\u52a0";                   // 添加

// Control ids of the main window, in its template's order.
enum MainId {
    kTab = 1, kHostList, kFrame, kTimeSwitch, kClearLog, kStartDate, kTo, kEndDate, kTypeLabel,
    kTypeCombo, kQuery, kLogList, kReceiver,
};

void expectRelayoutRule(HWND main) {
    Box client = e2e::clientSize(main);
    Box tab = e2e::controlBox(main, kTab);
    EXPECT_EQ(tab, (Box{8, 8, client.width - 16, client.height - 16}));
    Box tabClient = e2e::clientSize(e2e::control(main, kTab));
    int w = tabClient.width, h = tabClient.height;
    EXPECT_EQ(e2e::controlBox(main, kHostList), (Box{8, 41, w, h - 35}));
    EXPECT_EQ(e2e::controlBox(main, kFrame), (Box{9, 41, w - 2, h - 35}));
    EXPECT_EQ(e2e::controlBox(main, kLogList), (Box{8, 78, w, h - 75}));
}

void waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    for (int waited = 0; !done() && waited < timeoutMs; waited += 50) Sleep(50);
}

class ProgramTest : public testing::Test {
protected:
    RunFolder folder;
};

TEST_F(ProgramTest, MainWindowAsLaidOutAndReLaidOut) {
    std::wstring exe = folder.copyIn(QERNO_PROGRAM);
    Process program(exe, L"", L"C:\\");
    ASSERT_TRUE(program.started());
    HWND main = e2e::findWindow(kMainTitle, program.id());
    ASSERT_NE(main, nullptr);
    Box outer = e2e::outerBox(main);
    EXPECT_EQ(outer.width, 900);
    EXPECT_EQ(outer.height, 600);
    EXPECT_NEAR(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 900) / 2, 1);
    EXPECT_NEAR(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 600) / 2, 1);

    // Fixed places: tab page controls from the tab's origin (8, 8), the frame's
    // two from the frame's origin (9, 41), the receiver from the client area.
    const struct { int id; Box box; } fixed[] = {
        {kStartDate, {8 + 88, 8 + 40, 160, 24}}, {kTo, {8 + 252, 8 + 40, 16, 24}},
        {kEndDate, {8 + 275, 8 + 40, 160, 24}},  {kTypeLabel, {8 + 504, 8 + 40, 56, 24}},
        {kTypeCombo, {8 + 560, 8 + 40, 112, 24}}, {kQuery, {8 + 680, 8 + 36, 80, 32}},
        {kTimeSwitch, {9 + 31, 41 + 7, 64, 24}}, {kClearLog, {9 + 795, 41 + 3, 80, 32}},
        {kReceiver, {24, 104, 30, 30}},
    };
    for (auto f : fixed) EXPECT_EQ(e2e::controlBox(main, f.id), f.box) << f.id;
    expectRelayoutRule(main);
    EXPECT_FALSE(IsWindowVisible(e2e::control(main, kReceiver)));
    EXPECT_EQ(e2e::text(e2e::control(main, kQuery)), L"\u67e5\u8be2");  // 查询

    auto columns = e2e::listColumns(e2e::control(main, kHostList));
    ASSERT_EQ(columns.size(), 6u);
    const struct { const wchar_t* title; int width; int format; } hostColumns[] = {
        {L"\u5907\u6ce8\u540d\u79f0", 150, LVCFMT_LEFT}, {L"\u901a\u8baf\u5730\u5740", 200, LVCFMT_LEFT},
        {L"\u5ef6\u65f6", 100, LVCFMT_RIGHT}, {L"\u901a\u8baf\u72b6\u6001", 120, LVCFMT_LEFT},
        {L"\u5f02\u5e38/\u8d85\u65f6\u8bb0\u5f55", 100, LVCFMT_CENTER}, {L"\u5e73\u5747\u65f6\u95f4", 100, LVCFMT_LEFT},
    };
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(columns[i].title, hostColumns[i].title);
        EXPECT_EQ(columns[i].width, hostColumns[i].width);
        EXPECT_EQ(columns[i].format, hostColumns[i].format);
    }
    EXPECT_TRUE(e2e::listCells(e2e::control(main, kHostList)).empty());  // nothing listed yet

    ShowWindow(main, SW_MAXIMIZE);
    waitUntil([&] { return e2e::controlBox(main, kTab).width == e2e::clientSize(main).width - 16; });
    EXPECT_TRUE(IsZoomed(main));
    expectRelayoutRule(main);
    EXPECT_GT(e2e::controlBox(main, kHostList).width, 900);
    ShowWindow(main, SW_RESTORE);
    waitUntil([&] { return e2e::outerBox(main).width == 900; });
    expectRelayoutRule(main);

    // The log page replaces the host list when its header is clicked.
    ASSERT_TRUE(e2e::selectTab(e2e::control(main, kTab), 1));
    waitUntil([&] { return IsWindowVisible(e2e::control(main, kLogList)) != 0; });
    EXPECT_TRUE(IsWindowVisible(e2e::control(main, kLogList)));
    EXPECT_TRUE(IsWindowVisible(e2e::control(main, kClearLog)));
    EXPECT_FALSE(IsWindowVisible(e2e::control(main, kHostList)));
}

TEST_F(ProgramTest, HostMenuOpensOnTheHostListAndCloses) {
    std::wstring exe = folder.copyIn(QERNO_PROGRAM);
    Process program(exe, L"", folder.path());
    HWND main = e2e::findWindow(kMainTitle, program.id());
    ASSERT_NE(main, nullptr);
    e2e::rightClick(e2e::control(main, kHostList), 40, 60);
    HWND menu = e2e::findPopupMenu();
    ASSERT_NE(menu, nullptr);
    const std::vector<std::wstring> expected = {
        L"\u6dfb\u52a0", L"\u4fee\u6539", L"\u5220\u9664", L"-", L"\u5168\u90e8\u542f\u52a8",
        L"\u5168\u90e8\u505c\u6b62", L"\u542f\u52a8", L"\u505c\u6b62",
        L"\u4e0d\u63d0\u9192\u6b64\u4e3b\u673a", L"-", L"\u56fe\u8868"};  // 不提醒此主机, -, 图表
    EXPECT_EQ(e2e::menuItems(menu), expected);
    // A text the menu does not have picks nothing and closes the menu.
    EXPECT_FALSE(e2e::chooseMenuItem(L"\u6253\u5f00\u7f51\u9875"));  // 打开网页
    waitUntil([] { return e2e::findPopupMenu(0) == nullptr; });
    EXPECT_EQ(e2e::findPopupMenu(0), nullptr);
    EXPECT_EQ(e2e::findWindow(kAddTitle, program.id(), 500), nullptr);

    e2e::rightClick(e2e::control(main, kHostList), 40, 60);
    ASSERT_TRUE(e2e::chooseMenuItem(kAddTitle));  // the item 添加 opens the dialog 添加
    waitUntil([] { return e2e::findPopupMenu(0) == nullptr; });
    EXPECT_EQ(e2e::findPopupMenu(0), nullptr);
    EXPECT_NE(e2e::findWindow(kAddTitle, program.id()), nullptr);
    EXPECT_EQ(program.waitExit(0), STILL_ACTIVE);
}

struct ErrorCase {
    const wchar_t* mode;
    std::wstring text;
};

TEST_F(ProgramTest, RuntimeErrorShowsItsBoxAndEndsWithMinusOne) {
    const ErrorCase cases[] = {
        {L"runtime-error",
         L"\u8fd0\u884c\u65f6\u51fa\u9519!\r\n\r\n\u9519\u8bef\u4ee3\u7801\uff1a4\r\n\r\n"
         L"\u9519\u8bef\u4fe1\u606f\uff1a\u6570\u7ec4\u6210\u5458\u5f15\u7528\u4e0b\u6807\u5fc5\u987b\u5927\u4e8e\u7b49\u4e8e1\r\n"},
        // A control of a window that is not loaded: no number, only the message.
        {L"unit-error",
         L"\u8fd0\u884c\u65f6\u51fa\u9519!\r\n\r\n"
         L"\u9519\u8bef\u4fe1\u606f\uff1a\u672a\u8f7d\u5165\u6b32\u8bbf\u95ee\u7a97\u53e3\u7ec4\u4ef6\u6240\u5728\u7684\u7a97\u53e3\r\n"},
        // The heap refuses a block: the allocation-failure text, not the
        // C++ terminate path.
        {L"alloc-fail",
         L"\u8fd0\u884c\u65f6\u51fa\u9519!\r\n\r\n"
#ifndef _WIN64
         L"\u9519\u8bef\u4fe1\u606f\uff1a\u5206\u914d 2147483632 \u5b57\u8282\u5185\u5b58\u5931\u8d25!\r\n"},
#else
         L"\u9519\u8bef\u4fe1\u606f\uff1a\u5206\u914d 140737488355312 \u5b57\u8282\u5185\u5b58\u5931\u8d25!\r\n"},
#endif
    };
    std::wstring exe = folder.copyIn(QERNO_PROBE);
    for (const ErrorCase& c : cases) {
        Process probe(exe, c.mode, folder.path());
        auto box = e2e::findMessageBox(L"\u9519\u8bef", probe.id());  // 错误
        ASSERT_NE(box.box, nullptr) << e2e::utf8(c.mode);
        EXPECT_EQ(box.text, c.text) << e2e::utf8(c.mode);
        EXPECT_EQ(probe.waitExit(0), STILL_ACTIVE);  // waits for the box
        ASSERT_TRUE(e2e::answerMessageBox(box.box, IDOK));
        EXPECT_EQ(probe.waitExit(10000), static_cast<DWORD>(-1)) << e2e::utf8(c.mode);
    }
}

TEST_F(ProgramTest, EndFromAWorkerThreadRunsTheExitRoutinesOnceWithItsCode) {
    std::wstring exe = folder.copyIn(QERNO_PROBE);
    Process probe(exe, L"end-from-thread 7", L"C:\\");
    EXPECT_EQ(probe.waitExit(15000), 7u);
    std::wstring log = readFileUtf8(folder.path() + L"\\probe.txt");
    log.erase(std::remove(log.begin(), log.end(), L'\r'), log.end());  // text-mode line ends
    // Started from C:\, it ran in its own folder; the exit routine ran once,
    // on the user-interface thread.
    EXPECT_NE(log.find(L"cwd " + folder.path() + L"\n"), std::wstring::npos) << e2e::utf8(log);
    std::wstring once = L"exit routine on ui thread\n";
    size_t at = log.find(once);
    EXPECT_NE(at, std::wstring::npos) << e2e::utf8(log);
    EXPECT_EQ(log.find(L"exit routine", at + once.size()), std::wstring::npos) << e2e::utf8(log);
}

// A database file that exists and lists no host: the start-up still ends
// with the tray icon and its welcome balloon.
TEST_F(ProgramTest, AnEmptyHostListStillGetsTheTrayIconAndBalloon) {
    ASSERT_TRUE(CreateDatabaseFile(fromWide((folder.path() + L"\\database.db").c_str())));
    std::wstring exe = folder.copyIn(QERNO_PROBE);
    Process probe(exe, L"startup", folder.path());
    EXPECT_EQ(probe.waitExit(15000), 0u);
    std::wstring log = readFileUtf8(folder.path() + L"\\probe.txt");
    // The tip's first line is the program's name (a second line counts the
    // hosts); the balloon is 欢迎使用 | Qerno网络检测.
    EXPECT_NE(log.find(L"tray 1 tip Qerno\u7f51\u7edc\u68c0\u6d4b"), std::wstring::npos) << e2e::utf8(log);
    const std::wstring balloon = L" balloon \u6b22\u8fce\u4f7f\u7528|Qerno\u7f51\u7edc\u68c0\u6d4b";
    EXPECT_NE(log.find(balloon), std::wstring::npos) << e2e::utf8(log);
}

// The end deletes the locks the program left registered.
TEST_F(ProgramTest, TheEndDeletesTheLocksStillRegistered) {
    std::wstring exe = folder.copyIn(QERNO_PROBE);
    Process probe(exe, L"locks", folder.path());
    EXPECT_EQ(probe.waitExit(15000), 0u);
    std::wstring log = readFileUtf8(folder.path() + L"\\probe.txt");
    EXPECT_NE(log.find(L"created 1"), std::wstring::npos) << e2e::utf8(log);
    EXPECT_NE(log.find(L"live locks 0"), std::wstring::npos) << e2e::utf8(log);
}

TEST_F(ProgramTest, DialogsAreOwnedByTheMainWindowAndCloseOnEscape) {
    std::wstring exe = folder.copyIn(QERNO_PROBE);
    const struct { const wchar_t* mode; const wchar_t* title; int width, height, buttonId; Box button; } cases[] = {
        {L"host-dialog", L"\u6dfb\u52a0", 400, 320, 19, {240, 236, 80, 32}},
        {L"about", L"\u5173\u4e8e", 380, 280, 6, {278, 209, 80, 32}},
    };
    for (auto c : cases) {
        Process probe(exe, c.mode, folder.path());
        HWND window = e2e::findWindow(c.title, probe.id());
        ASSERT_NE(window, nullptr) << e2e::utf8(c.mode);
        EXPECT_EQ(e2e::outerBox(window).width, c.width);
        EXPECT_EQ(e2e::outerBox(window).height, c.height);
        EXPECT_EQ(e2e::controlBox(window, c.buttonId), c.button);
        HWND owner = GetWindow(window, GW_OWNER);
        EXPECT_EQ(e2e::text(owner), kMainTitle);
        PostMessageW(e2e::control(window, c.buttonId), WM_KEYDOWN, VK_ESCAPE, 0);
        waitUntil([&] { return !IsWindow(window); });
        EXPECT_FALSE(IsWindow(window)) << e2e::utf8(c.mode);
        EXPECT_TRUE(IsWindowVisible(owner));
    }
}

}  // namespace
