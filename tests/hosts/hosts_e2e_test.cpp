// The real program in a run folder of its own, driven from this process as
// a user would: host menu and dialog, edit, delete, log query and clear,
// and the about window. database.db is prepared before the start and read
// back while the program runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/datetime.h"
#include "store/date_text.h"
#include "store/schema.h"
#include "store/sqlite_dataset.h"
#include "store/sqlite_db.h"
#include "store/statements.h"
#include "tests/e2e/helper/driver.h"
#include "tests/e2e/run_folder.h"
#include "tests/hosts/int_query.h"

namespace {

const std::wstring kMainTitle = L"Qerno\u7f51\u7edc\u68c0\u6d4b";  // Qerno网络检测
const std::wstring kAddTitle = L"\u6dfb\u52a0";                   // 添加
const std::wstring kEditTitle = L"\u4fee\u6539\u8bb0\u5f55";       // 修改记录
const std::wstring kInfo = L"\u4fe1\u606f\uff1a";                  // 信息：

enum MainId { kHostList = 2, kTimeSwitch = 4, kClearLog = 5, kTypeCombo = 10, kQuery = 11, kLogList = 12 };
enum DialogId { kName = 2, kAddress = 4, kTime1 = 6, kTime3 = 12, kLogSwitch = 17, kConfirm = 19 };
// Menu items, chosen by their text.
const std::wstring kAdd = L"\u6dfb\u52a0";                          // 添加, host menu
const std::wstring kEdit = L"\u4fee\u6539";                         // 修改, host menu
const std::wstring kDelete = L"\u5220\u9664";                       // 删除, host menu
const std::wstring kStopAll = L"\u5168\u90e8\u505c\u6b62";         // 全部停止, host menu
const std::wstring kClearLogItem = L"\u6e05\u7a7a\u65e5\u5fd7";     // 清空日志, log menu
const std::wstring kAboutItem = L"\u5173\u4e8e\u7a0b\u5e8f";        // 关于程序, tray menu
const std::wstring kExitItem = L"\u9000\u51fa";                     // 退出, tray menu
constexpr UINT kTrayCallback = 123456;

bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

std::wstring w(const char* gbk) { return toWide(Text(gbk)); }

// Sets the selection of a list view in another process: the item state
// travels in a buffer allocated there.
void selectRows(HWND list, const std::vector<int>& rows) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    ASSERT_NE(process, nullptr);
    void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMW), MEM_COMMIT, PAGE_READWRITE);
    auto set = [&](int row, UINT state) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = state;
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
    };
    set(-1, 0);
    for (int row : rows) set(row, LVIS_SELECTED | LVIS_FOCUSED);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
}

class HostsProgramTest : public testing::Test {
protected:
    void prepare(const std::function<void(SqliteDB&)>& fill) {
        dbPath_ = folder_.path() + L"\\database.db";
        ASSERT_TRUE(CreateDatabaseFile(fromWide(dbPath_.c_str())));
        SqliteDB db;
        ASSERT_TRUE(db.open(fromWide(dbPath_.c_str())));
        db.beginTransaction();
        fill(db);
        db.commitTransaction();
        db.close();
    }

    void start() {
        program_ = std::make_unique<Process>(folder_.copyIn(QERNO_PROGRAM), L"", folder_.path());
        ASSERT_TRUE(program_->started());
        main_ = e2e::findWindow(kMainTitle, program_->id());
        ASSERT_NE(main_, nullptr);
        ASSERT_TRUE(read_.open(fromWide(dbPath_.c_str())));
    }

    void TearDown() override {
        read_.close();
        // A test that failed with a box still open may leave no menu to
        // choose from: the process is then ended with the Process object.
        if (program_ && chooseTrayMenu(kExitItem)) program_->waitExit(5000);
    }

    HWND list(int id) { return e2e::control(main_, id); }
    std::vector<std::vector<std::wstring>> cells(int id) { return e2e::listCells(list(id)); }

    // Right click on row `row` (a selected row keeps the selection), or on
    // empty space below the rows when row < 0 (which clears the selection).
    void chooseHostMenu(const std::wstring& item, int row = -1) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(list(kHostList), LVM_GETHEADER, 0, 0));
        RECT r{};
        GetClientRect(header, &r);
        e2e::rightClick(list(kHostList), 400, row < 0 ? 300 : r.bottom + row * 24 + 12);
        ASSERT_NE(e2e::findPopupMenu(), nullptr) << "no host menu";
        ASSERT_TRUE(e2e::chooseMenuItem(item));
    }

    // The notification icon's right click opens the tray menu.
    bool chooseTrayMenu(const std::wstring& item) {
        PostMessageW(main_, kTrayCallback, 1, WM_RBUTTONDOWN);
        return e2e::chooseMenuItem(item);
    }

    std::vector<int> column(const std::string& sql) { return integerColumn(sql, read_); }
    int scalar(const std::string& sql) { return integerScalar(sql, read_); }
    int logRows(int id) { return scalar("select count(*) from record where list_id = " + std::to_string(id)); }

    RunFolder folder_;
    std::wstring dbPath_;
    std::unique_ptr<Process> program_;
    HWND main_ = nullptr;
    SqliteDB read_;
};

void addHost(SqliteDB& db, const char* name) {
    // time3 -5: every cycle of loopback is "abnormal", so a logging host logs each second.
    std::string sql = std::string("insert into serverlist (servername, serverip, time1, color1, time2, color2,"
                                  " time3, color3, time4, color4, auto, record, handle) values (") +
                      QuoteSqlText(name).c_str() + ", '127.0.0.1', 30, 32768, 100, 33023, -5, 255, 500, 6316128, 1, 1, 0)";
    ASSERT_TRUE(db.execute(sql.c_str()));
}

TEST_F(HostsProgramTest, AddEditAndDeleteHostsThroughTheMenuAndDialog) {
    prepare([](SqliteDB& db) { for (const char* n : {"h0", "h1", "h2", "h3"}) addHost(db, n); });
    start();
    ASSERT_TRUE(waitUntil([&] { return cells(kHostList).size() == 4; }));

    // Add: the dialog from the menu, saved with its "确 定".
    chooseHostMenu(kAdd);
    HWND dialog = e2e::findWindow(kAddTitle, program_->id());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::text(e2e::control(dialog, kTime1)), L"30");
    SendMessageW(e2e::control(dialog, kName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"new 'one\""));
    SendMessageW(e2e::control(dialog, kAddress), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"127.0.0.1"));
    e2e::pressButton(e2e::control(dialog, kConfirm));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }));
    ASSERT_TRUE(waitUntil([&] { return cells(kHostList).size() == 5; }));
    auto rows = cells(kHostList);
    EXPECT_EQ(rows[4][0], L"new 'one\"");
    EXPECT_EQ(rows[4][1], L"127.0.0.1");
    EXPECT_EQ(rows[4][4], w("停止记录"));
    int added = scalar("select max(id) from serverlist");
    EXPECT_EQ(scalar("select count(*) from serverlist where servername = 'new ''one\"' and serverip = '127.0.0.1'"
                     " and time1 = 30 and time2 = 100 and time3 = 200 and time4 = 500 and color1 = 32768"
                     " and color2 = 33023 and color3 = 255 and color4 = 6316128 and record = 0 and auto = 1"
                     " and id = " + std::to_string(added)), 1);
    // Its task reports within two seconds: the status column fills.
    EXPECT_TRUE(waitUntil([&] { return !cells(kHostList)[4][3].empty(); }, 2000));
    EXPECT_EQ(logRows(added), 0);

    // Edit it: log on, and every cycle abnormal; its task restarts and logs.
    selectRows(list(kHostList), {4});
    chooseHostMenu(kEdit, 4);
    dialog = e2e::findWindow(kEditTitle, program_->id());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(e2e::text(e2e::control(dialog, kName)), L"new 'one\"");
    SendMessageW(e2e::control(dialog, kTime3), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"0"));
    SendMessageW(e2e::control(dialog, kLogSwitch), BM_SETCHECK, BST_CHECKED, 0);
    e2e::pressButton(e2e::control(dialog, kConfirm));
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(waitUntil([&] { return cells(kHostList)[4][4] == w("正常记录"); }));
    EXPECT_EQ(scalar("select time3 from serverlist where id = " + std::to_string(added)), 0);
    EXPECT_TRUE(waitUntil([&] { return logRows(added) >= 2; }, 4000));
    EXPECT_EQ(cells(kHostList).size(), 5u);

    // Delete three of five: h0, h2 and the added one.
    std::vector<int> ids = column("select id from serverlist order by id");
    ASSERT_EQ(ids.size(), 5u);
    selectRows(list(kHostList), {0, 2, 4});
    chooseHostMenu(kDelete, 4);
    ASSERT_TRUE(waitUntil([&] { return cells(kHostList).size() == 2; }));
    rows = cells(kHostList);
    EXPECT_EQ(rows[0][0], L"h1");
    EXPECT_EQ(rows[1][0], L"h3");
    EXPECT_EQ(column("select id from serverlist order by id"), (std::vector<int>{ids[1], ids[3]}));
    Sleep(1500);  // a stopped task may finish the cycle it was in
    std::vector<int> before;
    for (int id : ids) before.push_back(logRows(id));
    Sleep(2500);
    for (int i : {0, 2, 4}) EXPECT_EQ(logRows(ids[i]), before[i]) << "deleted host " << ids[i] << " still logs";
    for (int i : {1, 3}) EXPECT_GT(logRows(ids[i]), before[i]) << "host " << ids[i] << " stopped logging";
    EXPECT_EQ(program_->waitExit(0), STILL_ACTIVE);
}

// Log rows whose `time` is their id, so that the "延时" column names the row.
TEST_F(HostsProgramTest, LogQueryWithEachConditionFormAndClear) {
    DateTime today = now();
    auto at = [&](double days, const char* time) {
        return FormatDateTime(DateTime{today.value + days}, DateTextForm::dateOnly) + " " + time;
    };
    prepare([&](SqliteDB& db) {
        for (int id = 1; id <= 1100; ++id)  // before the range, "异常"
            db.execute(LogInsertSql("bulk", "127.0.0.1", 1, id, 255, at(-1, "10:00:00"), 3));
        const struct { double day; const char* time; int type; } edges[] = {
            {-1, "23:59:59", 3}, {0, "00:00:00", 4}, {0, "12:00:00", 3}, {0, "23:59:59", 4}, {1, "00:00:00", 3}};
        int id = 1101;
        for (auto e : edges) db.execute(LogInsertSql("edge'1", "127.0.0.2", 1, id++, 255, at(e.day, e.time), e.type));
    });
    start();
    auto shown = [&] {
        std::vector<int> ids;
        for (auto& row : cells(kLogList)) ids.push_back(std::stoi(row[3]));
        return ids;
    };
    auto newest = [](int from, int count, int step = 1) {
        std::vector<int> ids;
        for (int id = from; static_cast<int>(ids.size()) < count && id > 0; id -= step) ids.push_back(id);
        return ids;
    };
    std::vector<int> abnormal = {1105, 1103, 1101};
    for (int id : newest(1100, 997)) abnormal.push_back(id);
    const struct { bool byTime; int type; std::vector<int> ids; } cases[] = {
        {false, 0, newest(1105, 1000)},
        {true, 0, {1104, 1103, 1102}},  // today 00:00:00 and 23:59:59 included
        {false, 1, abnormal},
        {false, 2, {1104, 1102}},
        {true, 1, {1103}},
        {true, 2, {1104, 1102}},
    };
    for (const auto& c : cases) {
        SendMessageW(e2e::control(main_, kTimeSwitch), BM_SETCHECK, c.byTime ? BST_CHECKED : BST_UNCHECKED, 0);
        SendMessageW(e2e::control(main_, kTypeCombo), CB_SETCURSEL, c.type, 0);
        e2e::pressButton(e2e::control(main_, kQuery));
        EXPECT_TRUE(waitUntil([&] { return shown() == c.ids; })) << c.byTime << " " << c.type << ": " << shown().size();
    }
    auto rows = cells(kLogList);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::wstring>{toWide(at(0, "23:59:59")), L"edge'1", L"127.0.0.2", L"1104 ms",
                                                  w("网络不通")}));

    // The log menu on empty space of the log list, answered No: nothing changes.
    e2e::rightClick(list(kLogList), 400, 150);
    ASSERT_TRUE(e2e::chooseMenuItem(kClearLogItem));
    auto ask = e2e::findMessageBox(kInfo, program_->id());
    ASSERT_NE(ask.box, nullptr);
    EXPECT_EQ(ask.text, w("是否清空所有日志？"));
    e2e::answerMessageBox(ask.box, IDNO);
    waitUntil([&] { return !IsWindow(ask.box); });
    EXPECT_EQ(scalar("select count(*) from record"), 1105);
    EXPECT_EQ(cells(kLogList).size(), 2u);

    // The button, answered Yes.
    e2e::pressButton(e2e::control(main_, kClearLog));
    ask = e2e::findMessageBox(kInfo, program_->id());
    ASSERT_NE(ask.box, nullptr);
    e2e::answerMessageBox(ask.box, IDYES);
    waitUntil([&] { return !IsWindow(ask.box); });
    auto done = e2e::findMessageBox(kInfo, program_->id());
    ASSERT_NE(done.box, nullptr);
    EXPECT_EQ(done.text, w("操作成功"));
    e2e::answerMessageBox(done.box, IDOK);
    EXPECT_EQ(scalar("select count(*) from record"), 0);
    EXPECT_TRUE(cells(kLogList).empty());
}

TEST_F(HostsProgramTest, AboutWindowOpensOnceAndClosesOnEscape) {
    prepare([](SqliteDB&) {});
    start();
    ASSERT_TRUE(chooseTrayMenu(kAboutItem));
    HWND about = e2e::findWindow(L"\u5173\u4e8e", program_->id());
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(e2e::text(e2e::control(about, 2)), w("Qerno网络检测 1.0"));
    EXPECT_EQ(e2e::text(e2e::control(about, 4)), w("更多软件请到官网下载"));
    EXPECT_EQ(e2e::text(e2e::control(about, 5)), L"http://www.qerno.example/");
    ASSERT_TRUE(chooseTrayMenu(kAboutItem));
    Sleep(500);
    int abouts = 0;
    for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, nullptr, L"\u5173\u4e8e"));) ++abouts;
    EXPECT_EQ(abouts, 1);
    PostMessageW(e2e::control(about, 6), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(about); }));
}

// A long host list: every row is there at once and the window answers while
// the tasks are still starting (a start-up that started them all before
// returning could answer only once every task had written its handle);
// every task starts in the end. Loopback hosts that do not log, so that the
// many tasks cost little.
void addQuietHosts(SqliteDB& db, int count) {
    for (int i = 1; i <= count; ++i) {
        const std::string sql = "insert into serverlist (servername, serverip, time1, color1, time2, color2,"
                                " time3, color3, time4, color4, auto, record, handle) values ('h" +
                                std::to_string(i) + "', '127.0.0.1', 30, 32768, 100, 33023, 200, 255, 500,"
                                " 6316128, 1, 0, 0)";
        ASSERT_TRUE(db.execute(sql.c_str()));
    }
}

const std::string kStartedSql = "select count(*) from serverlist where handle <> 0";

TEST_F(HostsProgramTest, ALongHostListAnswersWhileItsTasksStart) {
    constexpr int kHosts = 800;
    prepare([](SqliteDB& db) { addQuietHosts(db, kHosts); });
    start();
    const std::string& startedSql = kStartedSql;
    int answeredWhileStarting = 0, asks = 0;
    for (; asks < 200 && scalar(startedSql) < kHosts; ++asks) {
        DWORD_PTR result = 0;
        // A second is far beyond a step; a window held by the whole start
        // answers only after it.
        const bool answered = SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
        if (answered && scalar(startedSql) < kHosts) ++answeredWhileStarting;
        Sleep(20);
    }
    EXPECT_GT(answeredWhileStarting, 0) << asks << " asks";
    EXPECT_EQ(cells(kHostList).size(), static_cast<size_t>(kHosts));
    EXPECT_TRUE(waitUntil([&] { return scalar(startedSql) == kHosts; }, 120000)) << scalar(startedSql);
    EXPECT_EQ(scalar("select count(distinct handle) from serverlist"), kHosts);
}

// "全部停止" chosen as soon as the window shows, while the tasks still start
// in list order: the hosts whose turn had not come are never started, then
// or later (the column keeps the 0 start-up wrote), and the last listed
// host is one of them.
TEST_F(HostsProgramTest, StopAllWhileTheTasksStartLeavesTheRestUnstarted) {
    constexpr int kHosts = 1000;
    prepare([](SqliteDB& db) { addQuietHosts(db, kHosts); });
    start();
    chooseHostMenu(kStopAll);
    // The menu's command queues behind steps already posted: wait until a
    // whole second passes without a start.
    int started = scalar(kStartedSql);
    for (int i = 0; i < 20; ++i) {
        Sleep(1000);
        const int now = scalar(kStartedSql);
        if (now == started) break;
        started = now;
    }
    EXPECT_GT(started, 0);
    EXPECT_LT(started, kHosts);
    EXPECT_EQ(scalar("select handle from serverlist where id = (select max(id) from serverlist)"), 0);
    Sleep(2000);  // far longer than the steps that would have followed
    EXPECT_EQ(scalar(kStartedSql), started);
}

}  // namespace
