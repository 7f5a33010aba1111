// The report dialog in process under Wine: the real windows and menus, a
// real database file, the real message boxes and save-file dialog (read
// and answered from a second thread, as a person would).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "app/report_actions.h"
#include "monitor/monitor_context.h"
#include "runtime/codepage.h"
#include "runtime/convert.h"
#include "runtime/datetime.h"
#include "runtime/lock.h"
#include "runtime/win32/list_view_commands.h"
#include "runtime/win32/window_commands.h"
#include "store/date_text.h"
#include "store/schema.h"
#include "store/sqlite_db.h"
#include "tests/e2e/helper/driver.h"
#include "tests/ui/ui_test_support.h"
#include "ui/actions.h"
#include "ui/main_window.h"
#include "ui/report_dialog.h"
#include "ui/ui_state.h"

namespace {

using namespace ReportDlg;

constexpr double kSecond = 1.0 / 86400;
constexpr DWORD kPumpPauseMs = 10;
constexpr double kWeek = 7;
const wchar_t kInfoCaption[] = L"\u4fe1\u606f\uff1a";  // 信息：
const wchar_t kSaveTitle[] = L"\u4fdd\u5b58\u62a5\u544a";  // 保存报告
const wchar_t kCsvTitle[] = L"\u5bfc\u51fa CSV";           // 导出 CSV

class ReportDialogTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, dir);
        path_ = std::wstring(dir) + L"qerno-report-" + std::to_wstring(GetTickCount()) + L".db";
        DeleteFileW(path_.c_str());
        ASSERT_TRUE(CreateDatabaseFile(fromWide(path_.c_str())));
        ASSERT_TRUE(db_.open(fromWide(path_.c_str())));
        lock_ = createLock();
        setMonitorDatabase(&db_);
        setMonitorLogLock(lock_);
        installReportActions();
        ASSERT_TRUE(loadWindow(mainWindow()));
        ::Unit list = unitOf(mainWindow(), MainWin::超级列表框_通讯);
        for (int id : {1, 2}) {
            const int row = insertItem(list, -1, id == 1 ? "办公网关" : "远端服务器", -1, 0, id);
            setItemText(list, row, 1, id == 1 ? "198.18.1.1" : "198.18.1.4");
        }
    }

    void TearDown() override {
        if (reportDialog().loaded()) reportDialog().destroyNow();
        mainWindow().destroyNow();
        pump();
        setMonitorDatabase(nullptr);
        setMonitorLogLock(0);
        deleteLock(lock_);
        db_.close();
        DeleteFileW(path_.c_str());
    }

    void open(int item = MainWin::报告) {
        mainWindow().raise(item, ControlEvent::Clicked);
        pump();
        ASSERT_TRUE(reportDialog().loaded());
    }
    ::Unit field(int unit) { return unitOf(reportDialog(), unit); }
    double date(int unit) { return std::get<DateTime>(getProperty(field(unit), Property::DateValue)).value; }
    void setDate(int unit, const char* text) { setProperty(field(unit), Property::DateValue, toDateTime(text)); }
    void press(int unit) {
        SendMessageW(reportDialog().handle(), WM_COMMAND, MAKEWPARAM(unit, BN_CLICKED),
                     reinterpret_cast<LPARAM>(reportDialog().unitHandle(unit)));
        pump();
    }
    // A check box as a click leaves it: toggled, then its notification.
    void click(int unit) {
        SendMessageW(reportDialog().unitHandle(unit), BM_CLICK, 0, 0);
        pump();
    }
    bool listEnabled() { return IsWindowEnabled(reportDialog().unitHandle(超级列表框_主机)) != 0; }

    // Presses the button; returns the text of the box it showed (answered
    // with OK), and whether a save-file dialog came up (then cancelled).
    struct Seen {
        std::wstring box;
        bool saveDialog = false;
    };
    Seen pressAndAnswer(int unit, const wchar_t* saveTitle) {
        Seen seen;
        answerWhile(
            [&] {
                for (int tries = 0; tries < 100; ++tries) {
                    if (HWND save = e2e::findWindow(saveTitle, GetCurrentProcessId(), 0)) {
                        seen.saveDialog = true;
                        PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
                        return;
                    }
                    const e2e::MessageBoxSeen box = e2e::findMessageBox(kInfoCaption, GetCurrentProcessId(), 50);
                    if (box.box) {
                        seen.box = box.text;
                        e2e::answerMessageBox(box.box, IDOK);
                        return;
                    }
                }
            },
            [&] { press(unit); });
        return seen;
    }
    // `look` reads and answers the boxes and dialogs on a second thread
    // while this one does `act` and then pumps the window's messages: the
    // figures are made on a thread of their own and taken by a timer.
    static void answerWhile(const std::function<void()>& look, const std::function<void()>& act) {
        std::atomic<bool> done{false};
        std::thread answer([&] {
            look();
            done = true;
        });
        act();
        while (!done) {
            pump();
            Sleep(kPumpPauseMs);
        }
        answer.join();
    }

    UiState ui_;  // fresh slots for each test
    SqliteDB db_;
    LockHandle lock_ = 0;
    std::wstring path_;
};

TEST_F(ReportDialogTest, BothMenuItemsOpenItWithTheLastWeekAndEveryHost) {
    const double opened = now().value;
    open(MainWin::报告);
    EXPECT_EQ(GetWindow(reportDialog().handle(), GW_OWNER), mainWindow().handle());
    EXPECT_NEAR(date(日期框_结束日期), opened, 2 * kSecond);
    EXPECT_NEAR(date(日期框_开始日期), opened - kWeek, 2 * kSecond);
    ::Unit hosts = field(超级列表框_主机);
    ASSERT_EQ(itemCount(hosts), 2);
    EXPECT_EQ(itemText(hosts, 0, 0), Text("办公网关（198.18.1.1）"));
    EXPECT_EQ(itemText(hosts, 1, 0), Text("远端服务器（198.18.1.4）"));
    EXPECT_TRUE(itemChecked(hosts, 0) && itemChecked(hosts, 1));
    EXPECT_TRUE(std::get<bool>(getProperty(field(选择框_生成后打开), Property::Checked)));
    // The list is for choosing only once "全部主机" is off.
    EXPECT_FALSE(listEnabled());
    click(选择框_全部主机);
    EXPECT_TRUE(listEnabled());

    reportDialog().destroyNow();
    pump();
    open(MainWin::生成报告);
    EXPECT_EQ(itemCount(field(超级列表框_主机)), 2);  // filled once, not twice
}

TEST_F(ReportDialogTest, BadInputIsToldAndNoFileIsAskedFor) {
    ASSERT_TRUE(db_.execute("INSERT INTO outage (list_id, name, ip, kind, start, end, worst) VALUES"
                            " (1, 'a', '198.18.1.1', 1, '2024-03-10 10:00:00', '2024-03-10 10:05:00', 0)"));
    struct Case {
        const char *from, *to;
        bool allHosts;
        const char* told;
    };
    const Case cases[] = {
        {"2024-03-10 00:00:00", "2024-03-10 00:00:00", true, "时间范围为空，请选择开始和结束时间。"},
        {"2024-03-11 00:00:00", "2024-03-10 00:00:00", true, "开始时间晚于结束时间，请重新选择。"},
        {"2024-02-01 00:00:00", "2024-02-08 00:00:00", true, "所选时段内没有这些主机的记录，未生成报告。"},
        {"2024-03-10 00:00:00", "2024-03-11 00:00:00", false, "请至少勾选一台主机。"},
    };
    open();
    ::Unit hosts = field(超级列表框_主机);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.told);
        setDate(日期框_开始日期, c.from);
        setDate(日期框_结束日期, c.to);
        const bool all = std::get<bool>(getProperty(field(选择框_全部主机), Property::Checked));
        if (all != c.allHosts) click(选择框_全部主机);
        for (int row = 0; row < itemCount(hosts); ++row) setItemChecked(hosts, row, c.allHosts);
        for (auto [button, title] : {std::pair{按钮_生成, kSaveTitle}, std::pair{按钮_导出CSV, kCsvTitle}}) {
            const Seen seen = pressAndAnswer(button, title);
            EXPECT_EQ(seen.box, toWide(Text(c.told)));
            EXPECT_FALSE(seen.saveDialog);
        }
    }
    // The same range with data asks for the file (cancelled here).
    setDate(日期框_开始日期, "2024-03-10 00:00:00");
    setDate(日期框_结束日期, "2024-03-11 00:00:00");
    setItemChecked(hosts, 0, true);
    EXPECT_TRUE(pressAndAnswer(按钮_生成, kSaveTitle).saveDialog);
}

TEST_F(ReportDialogTest, WhileTheFiguresAreMadeTheButtonsAreOffAndTheWindowGoesOn) {
    // A week of ten-minute rows for both hosts, many times over: reading
    // them takes far longer than the click's own messages.
    ASSERT_TRUE(db_.execute(
        "WITH RECURSIVE t(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM t WHERE n < 100000) "
        "INSERT INTO history (list_id, period, start, sent, lost, min, avg, max) "
        "SELECT 1 + n % 2, 60, datetime('2024-03-04 00:00:00', '+' || (n / 2 * 6) || ' seconds'), "
        "60, n % 3 = 0, 1, 5, 20 FROM t"));
    open();
    setDate(日期框_开始日期, "2024-03-04 00:00:00");
    setDate(日期框_结束日期, "2024-03-11 00:00:00");
    click(选择框_生成后打开);
    auto enabled = [&](int unit) { return IsWindowEnabled(reportDialog().unitHandle(unit)) != 0; };
    auto title = [&] { return e2e::text(reportDialog().handle()); };

    const Seen seen = [&] {
        Seen s;
        answerWhile(
            [&] {
                if (HWND save = e2e::findWindow(kSaveTitle, GetCurrentProcessId(), 60000)) {
                    s.saveDialog = true;
                    PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
                }
            },
            [&] {
                press(按钮_生成);
                // Back from the click at once, the figures still being made.
                EXPECT_FALSE(enabled(按钮_生成));
                EXPECT_FALSE(enabled(按钮_导出CSV));
                EXPECT_EQ(title(), L"\u751f\u6210\u62a5\u544a\uff08\u6b63\u5728\u8bfb\u53d6\u2026\uff09");  // 生成报告（正在读取…）
                // A second click meanwhile starts nothing more.
                press(按钮_导出CSV);
            });
        return s;
    }();
    EXPECT_TRUE(seen.saveDialog);
    pump();
    EXPECT_TRUE(enabled(按钮_生成));
    EXPECT_TRUE(enabled(按钮_导出CSV));
    EXPECT_EQ(title(), L"\u751f\u6210\u62a5\u544a");  // 生成报告
    // Only the one job's save dialog came; none follows.
    EXPECT_EQ(e2e::findWindow(kCsvTitle, GetCurrentProcessId(), 500), nullptr);
}

// What the save dialog offered, and the file written to the path typed in.
struct Saved {
    std::wstring offered;
    std::string written;
};

std::string readWhole(const std::wstring& path) {
    std::string bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    CloseHandle(f);
    return bytes;
}

TEST_F(ReportDialogTest, GenerateAndExportWriteWhereTheSaveDialogSays) {
    ASSERT_TRUE(db_.execute("INSERT INTO outage (list_id, name, ip, kind, start, end, worst) VALUES"
                            " (1, '办公网关', '198.18.1.1', 1, '2024-03-10 10:00:00', '2024-03-10 10:05:00', 0)"));
    open();
    setDate(日期框_开始日期, "2024-03-10 00:00:00");
    setDate(日期框_结束日期, "2024-03-11 00:00:00");
    click(选择框_生成后打开);  // nothing is opened here
    const std::wstring base = path_.substr(0, path_.size() - 3);  // the database's name less ".db"
    auto save = [&](int button, const wchar_t* title, const std::wstring& target) {
        std::wstring offered;
        answerWhile(
            [&] {
                HWND dialog = e2e::findWindow(title, GetCurrentProcessId(), 10000);
                if (!dialog) return;
                offered = e2e::text(GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1));
                e2e::answerSaveDialog(title, target, GetCurrentProcessId());
            },
            [&] { press(button); });
        return offered;
    };
    // The offered name carries the moment: 报告_yyyyMMdd_HHmmss.
    const std::wstring offered = save(按钮_生成, kSaveTitle, base + L".html");
    EXPECT_EQ(offered.size(), std::wstring(L"\u62a5\u544a_20240310_100000.html").size()) << fromWide(offered.c_str()).str();
    EXPECT_EQ(offered.rfind(L"\u62a5\u544a_", 0), 0u);
    const std::string html = readWhole(base + L".html");
    EXPECT_NE(html.find(u8"<h1>网络中断报告</h1>"), std::string::npos);
    EXPECT_NE(html.find(u8"办公网关（198.18.1.1）"), std::string::npos);

    save(按钮_导出CSV, kCsvTitle, base + L".csv");
    EXPECT_EQ(readWhole(base + L".csv").rfind(u8"\uFEFF主机,地址,可用率", 0), 0u);
    EXPECT_NE(readWhole(base + L"_\u4e2d\u65ad.csv").find(u8"2024-03-10 10:00:00,2024-03-10 10:05:00,300"),
              std::string::npos);
    for (const wchar_t* end : {L".html", L".csv", L"_\u4e2d\u65ad.csv"}) DeleteFileW((base + end).c_str());
}

}  // namespace
