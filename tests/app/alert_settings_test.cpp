// The alerts' menu items and the settings window, in process under Wine:
// the real windows and menus, a real database file, the real Run key of the
// test prefix (the value is removed again whatever the test's outcome).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <thread>
#include <vector>

#include "app/alert_actions.h"
#include "app/alerts.h"
#include "monitor/monitor_context.h"
#include "runtime/codepage.h"
#include "runtime/lock.h"
#include "runtime/win32/dialog_keys.h"
#include "runtime/win32/autostart.h"
#include "runtime/win32/list_view_commands.h"
#include "runtime/win32/window_commands.h"
#include "store/schema.h"
#include "store/settings_table.h"
#include "store/sqlite_db.h"
#include "tests/e2e/helper/driver.h"
#include "tests/ui/ui_test_support.h"
#include "ui/actions.h"
#include "ui/main_window.h"
#include "ui/settings_window.h"
#include "ui/ui_state.h"

namespace {

using namespace SettingsWin;

constexpr int kHost = 7;
const HealthSettings kDefaults;

// What a popup menu showed: item texts ("-" separators) and checked items.
struct MenuSeen {
    std::vector<Text> texts;
    std::vector<bool> checked;
};
MenuSeen g_seen;

// Reads the open popup menu and closes it without a choice.
void CALLBACK readAndClose(HWND owner, UINT, UINT_PTR id, DWORD) {
    KillTimer(owner, id);
    HWND menu = FindWindowW(L"#32768", nullptr);
    auto handle = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    g_seen = {};
    for (int i = 0, n = GetMenuItemCount(handle); i < n; ++i) {
        wchar_t text[64] = {};
        const UINT state = GetMenuState(handle, i, MF_BYPOSITION);
        GetMenuStringW(handle, i, text, 64, MF_BYPOSITION);
        g_seen.texts.push_back((state & MF_SEPARATOR) ? Text("-") : fromWide(text));
        g_seen.checked.push_back((state & MF_CHECKED) != 0);
    }
    EndMenu();
}

MenuSeen popUp(int menu) {
    SetTimer(mainWindow().handle(), 1, 50, readAndClose);
    popupMenu(mainWindow(), menu, 300, 300);
    pump();
    return g_seen;
}

class AlertActionsTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, dir);
        path_ = std::wstring(dir) + L"qerno-alerts-" + std::to_wstring(GetTickCount()) + L".db";
        DeleteFileW(path_.c_str());
        ASSERT_TRUE(CreateDatabaseFile(fromWide(path_.c_str())));
        ASSERT_TRUE(db_.open(fromWide(path_.c_str())));
        ASSERT_TRUE(CreateMissingSchema(db_));
        setAutostart(kAutostartValueName, false, {});  // nothing a crashed run left behind
        lock_ = createLock();
        setMonitorDatabase(&db_);
        setMonitorLogLock(lock_);
        installAlertActions();
        applyHealthSettings(kDefaults);
        programHealth().resumeNotices();
        programHealth().setMuted(kHost, false);
        ASSERT_TRUE(loadWindow(mainWindow()));
        ::Unit list = unitOf(mainWindow(), MainWin::超级列表框_通讯);
        insertItem(list, -1, "办公网关", -1, 0, kHost);
        ListView_SetItemState(mainWindow().unitHandle(MainWin::超级列表框_通讯), 0, LVIS_SELECTED, LVIS_SELECTED);
    }

    void TearDown() override {
        setAutostart(kAutostartValueName, false, {});  // never left for Wine to run
        if (settingsWindow().loaded()) settingsWindow().destroyNow();
        mainWindow().destroyNow();
        pump();
        applyHealthSettings(kDefaults);
        setMonitorDatabase(nullptr);
        setMonitorLogLock(0);
        deleteLock(lock_);
        db_.close();
        DeleteFileW(path_.c_str());
    }

    SettingValues stored() {
        SettingValues values;
        EXPECT_TRUE(ReadSettings(db_, values));
        return values;
    }

    void writeSettingRow(const std::string& key, const char* value) { ASSERT_TRUE(WriteSetting(db_, key, value)); }

    ::Unit field(int unit) { return unitOf(settingsWindow(), unit); }
    void type(int unit, const char* text) { setProperty(field(unit), Property::Content, Text(text)); }
    Text shown(int unit) { return std::get<Text>(getProperty(field(unit), Property::Content)); }
    bool ticked(int unit) { return std::get<bool>(getProperty(field(unit), Property::Checked)); }
    void tick(int unit, bool on) { setProperty(field(unit), Property::Checked, on); }
    void press(int unit) {
        SendMessageW(settingsWindow().handle(), WM_COMMAND, MAKEWPARAM(unit, BN_CLICKED),
                     reinterpret_cast<LPARAM>(settingsWindow().unitHandle(unit)));
        pump();
    }
    void openSettings() {
        mainWindow().raise(MainWin::设置, ControlEvent::Clicked);
        pump();
        ASSERT_TRUE(settingsWindow().loaded());
    }

    UiState ui_;  // fresh slots for each test
    SqliteDB db_;
    LockHandle lock_ = 0;
    std::wstring path_;
};

TEST_F(AlertActionsTest, TrayMenuKeepsItsItemsAndPauseTurnsIntoResume) {
    const std::vector<Text> running = {"显示", "设置…", "报告…", "暂停提醒 1 小时", "-", "关于程序", "更多软件", "-", "退出"};
    EXPECT_EQ(popUp(MainWin::程序菜单).texts, running);

    mainWindow().raise(MainWin::暂停提醒, ControlEvent::Clicked);
    EXPECT_TRUE(programHealth().paused(healthNow()));
    std::vector<Text> paused = running;
    paused[3] = "恢复提醒";
    EXPECT_EQ(popUp(MainWin::程序菜单).texts, paused);

    mainWindow().raise(MainWin::暂停提醒, ControlEvent::Clicked);
    EXPECT_FALSE(programHealth().paused(healthNow()));
    EXPECT_EQ(popUp(MainWin::程序菜单).texts, running);
}

TEST_F(AlertActionsTest, MutingTheCurrentHostIsCheckedAndStored) {
    const std::vector<Text> items = {"添加", "修改", "删除", "-", "全部启动", "全部停止", "启动", "停止",
                                     "不提醒此主机", "-", "图表"};
    constexpr std::size_t kMuteItem = 8;
    MenuSeen seen = popUp(MainWin::主机菜单);
    EXPECT_EQ(seen.texts, items);
    EXPECT_FALSE(seen.checked.at(kMuteItem));

    mainWindow().raise(MainWin::不提醒此主机, ControlEvent::Clicked);
    EXPECT_TRUE(programHealth().muted(kHost));
    EXPECT_EQ(stored()[MuteKey(kHost)], Text("1"));
    EXPECT_TRUE(popUp(MainWin::主机菜单).checked.at(kMuteItem));

    mainWindow().raise(MainWin::不提醒此主机, ControlEvent::Clicked);
    EXPECT_FALSE(programHealth().muted(kHost));
    EXPECT_EQ(stored().count(MuteKey(kHost)), 0u);
    EXPECT_FALSE(popUp(MainWin::主机菜单).checked.at(kMuteItem));
}

TEST_F(AlertActionsTest, DeletingAMutedHostForgetsItsMuteForTheNextHostWithItsId) {
    ::Unit list = unitOf(mainWindow(), MainWin::超级列表框_通讯);
    insertItem(list, -1, "远端服务器", -1, 0, kHost + 1);
    ListView_SetItemState(mainWindow().unitHandle(MainWin::超级列表框_通讯), 1, LVIS_SELECTED, LVIS_SELECTED);
    mainWindow().raise(MainWin::不提醒此主机, ControlEvent::Clicked);  // mutes the first selected: kHost
    programHealth().setMuted(kHost + 1, true);
    writeSettingRow(MuteKey(kHost + 1), "1");
    // Stands in for the real deletion of the host list's rows: the first one goes.
    ui_.actions.deleteHosts = [list] { deleteItem(list, 0); };
    installAlertActions();

    mainWindow().raise(MainWin::删除, ControlEvent::Clicked);
    EXPECT_FALSE(programHealth().muted(kHost));
    EXPECT_EQ(stored().count(MuteKey(kHost)), 0u);
    EXPECT_TRUE(programHealth().muted(kHost + 1)) << "a host still listed keeps its mute";
    EXPECT_EQ(stored()[MuteKey(kHost + 1)], Text("1"));
    programHealth().setMuted(kHost + 1, false);
}

TEST_F(AlertActionsTest, SettingsWindowShowsTheSettingsInForceAndCancelKeepsThem) {
    openSettings();
    EXPECT_EQ(GetWindow(settingsWindow().handle(), GW_OWNER), mainWindow().handle());
    EXPECT_TRUE(ticked(选择框_启用提醒));
    EXPECT_EQ(shown(编辑框_失败次数), Text("3"));
    EXPECT_EQ(shown(编辑框_恢复次数), Text("2"));
    EXPECT_EQ(shown(编辑框_延迟次数), Text("10"));
    EXPECT_FALSE(ticked(选择框_声音提醒));
    EXPECT_FALSE(ticked(选择框_开机运行));

    // A second "设置…" brings the same window forward with the edits kept.
    type(编辑框_失败次数, "9");
    HWND first = settingsWindow().handle();
    openSettings();
    EXPECT_EQ(settingsWindow().handle(), first);
    EXPECT_EQ(shown(编辑框_失败次数), Text("9"));

    press(按钮_取消);
    EXPECT_FALSE(settingsWindow().loaded());
    EXPECT_EQ(programHealth().settings(), kDefaults);
    EXPECT_TRUE(stored().empty());
}

TEST_F(AlertActionsTest, TabWalksTheFieldsInOrderAndEscClosesWithoutSaving) {
    openSettings();
    const Window& w = settingsWindow();
    const int order[] = {选择框_启用提醒, 编辑框_失败次数, 编辑框_恢复次数, 编辑框_延迟次数,
                         选择框_声音提醒, 选择框_开机运行, 按钮_确定, 按钮_取消, 选择框_启用提醒};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        EXPECT_EQ(nextTabStop(w, w.unitHandle(order[i]), true), w.unitHandle(order[i + 1])) << i;
    EXPECT_EQ(w.layout().defaultButton, 按钮_确定);  // Enter saves

    type(编辑框_失败次数, "9");
    SetFocus(w.unitHandle(编辑框_失败次数));
    MSG esc{w.unitHandle(编辑框_失败次数), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(handleDialogKey(esc));
    pump();
    EXPECT_FALSE(settingsWindow().loaded());
    EXPECT_EQ(programHealth().settings(), kDefaults);
    EXPECT_TRUE(stored().empty());
}

TEST_F(AlertActionsTest, OutOfRangeValuesNameTheFieldAndKeepTheWindowOpen) {
    struct Case {
        int unit;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {编辑框_失败次数, "0", "连续失败次数应在 1 到 60 之间"},
        {编辑框_失败次数, "61", "连续失败次数应在 1 到 60 之间"},
        {编辑框_失败次数, "", "连续失败次数应在 1 到 60 之间"},  // emptied
        {编辑框_恢复次数, "0", "恢复次数应在 1 到 60 之间"},
        {编辑框_恢复次数, "100", "恢复次数应在 1 到 60 之间"},
        {编辑框_延迟次数, "601", "延迟过高持续次数应在 0 到 600 之间"},
        {编辑框_延迟次数, "1x", "延迟过高持续次数应在 0 到 600 之间"},  // pasted past the digits-only filter
    };
    openSettings();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        for (int unit : {编辑框_失败次数, 编辑框_恢复次数, 编辑框_延迟次数}) type(unit, "5");
        type(c.unit, c.typed);
        e2e::MessageBoxSeen seen;
        std::thread answer([&] {
            seen = e2e::findMessageBox(L"\u4fe1\u606f\uff1a", GetCurrentProcessId());
            if (seen.box) e2e::answerMessageBox(seen.box, IDOK);
        });
        press(按钮_确定);
        answer.join();
        EXPECT_EQ(fromWide(seen.text.c_str()), Text(c.message));
        EXPECT_TRUE(settingsWindow().loaded());
        EXPECT_EQ(programHealth().settings(), kDefaults);
    }
    EXPECT_TRUE(stored().empty());
}

TEST_F(AlertActionsTest, OkSavesAppliesAtOnceAndTheStoredValuesComeBack) {
    openSettings();
    tick(选择框_启用提醒, false);
    type(编辑框_失败次数, "1");
    type(编辑框_恢复次数, "60");
    type(编辑框_延迟次数, "0");
    tick(选择框_声音提醒, true);
    press(按钮_确定);
    EXPECT_FALSE(settingsWindow().loaded());

    HealthSettings expected;
    expected.alerts = false;
    expected.downAfter = 1;
    expected.upAfter = 60;
    expected.highAfter = 0;
    expected.sound = true;
    EXPECT_EQ(programHealth().settings(), expected);
    // What the next start reads from the file.
    EXPECT_EQ(SettingsFromValues(stored()), expected);

    // Applied at once: with N = 1 a single unanswered cycle makes a host down.
    HealthMonitor& health = programHealth();
    health.hostStarted(kHost, {"办公网关", "198.18.1.1"}, healthNow());
    health.onCycle(kHost, true, 1, 5, healthNow());
    health.onCycle(kHost, false, 0, -1, healthNow());
    EXPECT_EQ(health.summary().down, 1);
    health.hostStopped(kHost, healthNow());

    // Reopened, the window shows what was saved ("0" kept as a digit).
    openSettings();
    EXPECT_FALSE(ticked(选择框_启用提醒));
    EXPECT_EQ(shown(编辑框_失败次数), Text("1"));
    EXPECT_EQ(shown(编辑框_恢复次数), Text("60"));
    EXPECT_EQ(shown(编辑框_延迟次数), Text("0"));
    EXPECT_TRUE(ticked(选择框_声音提醒));
}

TEST_F(AlertActionsTest, StartWithWindowsWritesAndRemovesTheRunValue) {
    const wchar_t* runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    auto runValue = [&]() -> std::wstring {
        wchar_t data[1024] = {};
        DWORD bytes = sizeof data;
        if (RegGetValueW(HKEY_CURRENT_USER, runKey, toWide(kAutostartValueName).c_str(), RRF_RT_REG_SZ, nullptr,
                         data, &bytes) != ERROR_SUCCESS)
            return L"(none)";
        return data;
    };
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);

    openSettings();
    EXPECT_FALSE(ticked(选择框_开机运行));
    tick(选择框_开机运行, true);
    press(按钮_确定);
    EXPECT_EQ(runValue(), L"\"" + std::wstring(exe) + L"\"");
    EXPECT_TRUE(stored().count("autostart") == 0);  // the key is the only record

    openSettings();
    EXPECT_TRUE(ticked(选择框_开机运行));
    tick(选择框_开机运行, false);
    press(按钮_确定);
    EXPECT_EQ(runValue(), L"(none)");
}

}  // namespace
