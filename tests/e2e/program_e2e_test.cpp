// The program as a user meets it, run from its executable inside the test
// network namespace (scripts/netns): the host list it shows from a real
// database.db, the log rows its tasks write, the single instance, the close
// box and tray icon, the refusal to run from an archive's temporary folder,
// and the end through the tray menu. Run once per locale: a stray ANSI call
// shows as mojibake only under a non-Chinese one.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "store/schema.h"
#include "tests/e2e/helper/driver.h"
#include "tests/e2e/run_folder.h"

namespace {

const std::wstring kMainTitle = L"Qerno\u7f51\u7edc\u68c0\u6d4b";  // Qerno网络检测
const std::wstring kReachable = L"\u7f51\u7edc\u53ef\u901a";       // 网络可通
const std::wstring kTimedOut = L"\u8bf7\u6c42\u8d85\u65f6";        // 请求超时
const std::wstring kLogging = L"\u6b63\u5e38\u8bb0\u5f55";         // 正常记录
const std::wstring kNotLogging = L"\u505c\u6b62\u8bb0\u5f55";      // 停止记录
constexpr int kHostListId = 2;
constexpr UINT kTrayCallback = 123456;
const std::wstring kExitItem = L"\u9000\u51fa";                 // 退出, of the tray menu

struct Host {
    int id;
    const char* name;
    const char* ip;
    int record;
    int color[4];  // per class; distinct per host so a cell shows whose it is
};

// Classes: < 100 ms, < 200 ms, < 2000 ms (logged as type 3), failed (type 4).
const Host kHosts[] = {
    {1, "loopback", "127.0.0.1", 0, {0x00C000, 0x00C0C0, 0x0080FF, 0x0000C0}},
    {2, "slow", "198.18.1.2", 1, {0x10A010, 0x10A0A0, 0xC08000, 0x1010A0}},
    {3, "silent", "198.18.1.3", 1, {0x20B020, 0x20B0B0, 0x2080B0, 0x8000C0}},
};

void waitUntil(const std::function<bool()>& done, int timeoutMs) {
    for (int waited = 0; !done() && waited < timeoutMs; waited += 100) Sleep(100);
}

std::string utf8Path(const std::wstring& path) { return e2e::utf8(path); }

class Database {
public:
    explicit Database(const std::wstring& path) {
        sqlite3_open_v2(utf8Path(path).c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        if (db_) sqlite3_busy_timeout(db_, 5000);
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool exec(const std::string& sql) { return db_ && sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }
    long long number(const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        long long value = -1;
        if (db_ && sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
            value = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
        return value;
    }

private:
    sqlite3* db_ = nullptr;
};

std::wstring makeDatabase(const RunFolder& folder, const std::vector<Host>& hosts) {
    const std::wstring path = folder.path() + L"\\database.db";
    EXPECT_TRUE(CreateDatabaseFile(Text(utf8Path(path))));
    Database db(path);
    db.exec("BEGIN");
    for (const Host& h : hosts) {
        char sql[512];
        std::snprintf(sql, sizeof sql,
                      "INSERT INTO serverlist VALUES (%d, '%s', '%s', 0, %d, 100, %d, 200, %d, 2000, %d, 0, %d, 999)",
                      h.id, h.name, h.ip, h.color[0], h.color[1], h.color[2], h.color[3], h.record);
        EXPECT_TRUE(db.exec(sql)) << sql;
    }
    db.exec("COMMIT");
    return path;
}

// The colour on the screen in the middle of a host-list cell's left margin.
COLORREF cellPixel(HWND list, int row, int columnLeft) {
    RECT header{};
    GetWindowRect(GetWindow(list, GW_CHILD), &header);
    POINT p{columnLeft + 4, (header.bottom - header.top) + row * 24 + 12};
    ClientToScreen(list, &p);
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

bool endsWithMs(const std::wstring& cell) { return cell.size() >= 3 && cell.compare(cell.size() - 3, 3, L" ms") == 0; }

// The list is read cell by cell from another process, so a report may land
// between two cells of a row: every cell a report writes must show one.
bool rowsShowStatus(const std::vector<std::vector<std::wstring>>& cells) {
    if (cells.size() != 3) return false;
    for (const auto& row : cells)
        if (row.size() < 6 || !endsWithMs(row[2]) || row[3].empty() || !endsWithMs(row[5])) return false;
    return true;
}

class ProgramRun : public testing::Test {
protected:
    RunFolder folder;
};

TEST_F(ProgramRun, ListsMonitorsColoursAndLogsTheHostsThenEndsFromTheTray) {
    const std::wstring dbPath = makeDatabase(folder, {std::begin(kHosts), std::end(kHosts)});
    const std::wstring exe = folder.copyIn(QERNO_PROGRAM);
    Process program(exe, L"", L"C:\\");
    HWND main = e2e::findWindow(kMainTitle, program.id());
    ASSERT_NE(main, nullptr);
    HWND list = e2e::control(main, kHostListId);
    std::vector<std::vector<std::wstring>> cells;
    waitUntil([&] { return rowsShowStatus(cells = e2e::listCells(list)); }, 10000);
    ASSERT_TRUE(rowsShowStatus(cells));

    const struct {
        const wchar_t* name;
        const wchar_t* ip;
        const std::wstring& status;
        const std::wstring& logging;
    } expected[] = {
        {L"loopback", L"127.0.0.1", kReachable, kNotLogging},
        {L"slow", L"198.18.1.2", kReachable, kLogging},
        {L"silent", L"198.18.1.3", kTimedOut, kLogging},
    };
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(cells[r][0], expected[r].name);
        EXPECT_EQ(cells[r][1], expected[r].ip);
        EXPECT_EQ(cells[r][3], expected[r].status);
        EXPECT_EQ(cells[r][4], expected[r].logging);
    }
    const int slowMs = _wtoi(cells[1][2].c_str());
    EXPECT_GE(slowMs, 240);
    EXPECT_LT(slowMs, 600);
    EXPECT_EQ(cells[2][2], L"1000 ms");

    // The latency cell (column 2, from x = 350) in the colour of the host's class.
    SetForegroundWindow(main);
    const COLORREF colours[] = {static_cast<COLORREF>(kHosts[0].color[0]),
                                static_cast<COLORREF>(kHosts[1].color[2]),
                                static_cast<COLORREF>(kHosts[2].color[3])};
    for (int r = 0; r < 3; ++r) {
        waitUntil([&] { return cellPixel(list, r, 350) == colours[r]; }, 3000);
        EXPECT_EQ(cellPixel(list, r, 350), colours[r]) << "row " << r;
    }
    EXPECT_EQ(cellPixel(list, 0, 150), GetSysColor(COLOR_WINDOW));  // the address cell keeps the list's own

    // Log rows: abnormal cycles of the slow host, failed ones of the silent
    // host, none of loopback; every stored task handle replaced by a live one.
    Database db(dbPath);
    waitUntil([&] { return db.number("SELECT COUNT(*) FROM record WHERE list_id = 2") >= 2; }, 5000);
    EXPECT_GE(db.number("SELECT COUNT(*) FROM record WHERE list_id = 2 AND type = 3"), 2);
    EXPECT_EQ(db.number("SELECT COUNT(*) FROM record WHERE list_id = 2 AND type <> 3"), 0);
    EXPECT_GE(db.number("SELECT COUNT(*) FROM record WHERE list_id = 3 AND type = 4 AND time = 1000"), 1);
    EXPECT_EQ(db.number("SELECT COUNT(*) FROM record WHERE list_id = 3 AND NOT (type = 4 AND time = 1000)"), 0);
    EXPECT_EQ(db.number("SELECT COUNT(*) FROM record WHERE list_id = 1"), 0);
    EXPECT_EQ(db.number("SELECT COUNT(*) FROM serverlist WHERE handle <= 0 OR handle = 999"), 0);
    EXPECT_EQ(db.number("SELECT COUNT(DISTINCT handle) FROM serverlist"), 3);

    // "退出" from the tray menu: the process ends with 0.
    PostMessageW(main, kTrayCallback, 1, WM_RBUTTONDOWN);
    ASSERT_NE(e2e::findPopupMenu(), nullptr);
    ASSERT_TRUE(e2e::chooseMenuItem(kExitItem));
    EXPECT_EQ(program.waitExit(10000), 0u);
}

TEST_F(ProgramRun, CloseHidesTheTasksGoOnAndASecondStartOrTheTrayBringsItBack) {
    makeDatabase(folder, {kHosts[2]});
    const std::wstring dbPath = folder.path() + L"\\database.db";
    const std::wstring exe = folder.copyIn(QERNO_PROGRAM);
    Process first(exe, L"", folder.path());
    HWND main = e2e::findWindow(kMainTitle, first.id());
    ASSERT_NE(main, nullptr);

    PostMessageW(main, WM_CLOSE, 0, 0);
    waitUntil([&] { return !IsWindowVisible(main); }, 5000);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(first.waitExit(0), STILL_ACTIVE);
    Database db(dbPath);
    const long long before = db.number("SELECT COUNT(*) FROM record");
    waitUntil([&] { return db.number("SELECT COUNT(*) FROM record") >= before + 2; }, 8000);
    EXPECT_GE(db.number("SELECT COUNT(*) FROM record"), before + 2);  // the task logs on, hidden

    // A second start, from the same folder, ends with 0 and shows the first.
    {
        Process second(exe, L"", folder.path());
        ASSERT_TRUE(second.started());
        EXPECT_EQ(second.waitExit(15000), 0u);
    }
    waitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }, 5000);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(IsIconic(main));
    EXPECT_EQ(first.waitExit(0), STILL_ACTIVE);

    // Hidden again, then a single left click on the tray icon: shown,
    // restored and centred.
    PostMessageW(main, WM_CLOSE, 0, 0);
    waitUntil([&] { return !IsWindowVisible(main); }, 5000);
    ASSERT_FALSE(IsWindowVisible(main));
    PostMessageW(main, kTrayCallback, 1, WM_LBUTTONDOWN);
    waitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }, 5000);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(IsIconic(main));
    e2e::Box box = e2e::outerBox(main);
    EXPECT_NEAR(box.left, (GetSystemMetrics(SM_CXSCREEN) - box.width) / 2, 1);
    EXPECT_NEAR(box.top, (GetSystemMetrics(SM_CYSCREEN) - box.height) / 2, 1);
}

TEST_F(ProgramRun, MissingDatabaseIsCreatedAndTheListStartsEmpty) {
    const std::wstring exe = folder.copyIn(QERNO_PROGRAM);
    Process program(exe, L"", folder.path());
    HWND main = e2e::findWindow(kMainTitle, program.id());
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(e2e::listCells(e2e::control(main, kHostListId)).empty());
    Database db(folder.path() + L"\\database.db");
    EXPECT_EQ(db.number("SELECT COUNT(*) FROM serverlist"), 0);
    EXPECT_EQ(db.number("SELECT COUNT(*) FROM record"), 0);
}

// A file from before the log table existed: the start-up adds what is
// missing, keeps the host, lists it and starts its task.
TEST_F(ProgramRun, EarlierFileGainsTheMissingTablesAndKeepsItsHosts) {
    const std::wstring path = folder.path() + L"\\database.db";
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open_v2(utf8Path(path).c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
                  SQLITE_OK);
        sqlite3_close(raw);
        Database db(path);
        ASSERT_TRUE(db.exec(SchemaObjects()[0].statement));
        ASSERT_TRUE(db.exec("INSERT INTO serverlist VALUES (4, 'old', '127.0.0.1', 0, 49152, 100, 49344, "
                            "200, 33023, 2000, 192, 0, 0, 0)"));
    }
    const std::wstring exe = folder.copyIn(QERNO_PROGRAM);
    Process program(exe, L"", folder.path());
    HWND main = e2e::findWindow(kMainTitle, program.id());
    ASSERT_NE(main, nullptr);
    const auto cells = e2e::listCells(e2e::control(main, kHostListId));
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0][0], L"old");
    Database db(path);
    EXPECT_EQ(db.number("SELECT COUNT(*) FROM sqlite_master WHERE name IN ('serverlist', 'record', 'record_type')"), 3);
    EXPECT_EQ(db.number("SELECT COUNT(*) FROM serverlist WHERE id = 4 AND servername = 'old'"), 1);
    EXPECT_EQ(db.number("SELECT COUNT(*) FROM record"), 0);
}

TEST_F(ProgramRun, RefusesToRunFromAnArchivesTemporaryFolder) {
    const std::wstring temp = folder.path() + L"\\AppData\\Local\\Temp\\7zO1234";
    for (const wchar_t* part : {L"\\AppData", L"\\AppData\\Local", L"\\AppData\\Local\\Temp", L"\\AppData\\Local\\Temp\\7zO1234"})
        CreateDirectoryW((folder.path() + part).c_str(), nullptr);
    const std::wstring source = folder.copyIn(QERNO_PROGRAM);
    const std::wstring exe = temp + L"\\qerno.exe";
    ASSERT_TRUE(CopyFileW(source.c_str(), exe.c_str(), FALSE));
    Process program(exe, L"", temp);
    auto box = e2e::findMessageBox(L"\u4fe1\u606f\uff1a", program.id());  // 信息：
    ASSERT_NE(box.box, nullptr);
    EXPECT_EQ(box.text, L"\u8bf7\u628a\u538b\u7f29\u5305\u89e3\u538b\u540e\u8fd0\u884c\uff01");
    ASSERT_TRUE(e2e::answerMessageBox(box.box, IDOK));
    EXPECT_EQ(program.waitExit(10000), 0u);
    EXPECT_EQ(GetFileAttributesW((temp + L"\\database.db").c_str()), INVALID_FILE_ATTRIBUTES);
}

std::string fileBytes(const std::wstring& path) {
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof(buffer), f)) > 0;) bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A folder whose name has characters the code page lacks (Korean, an
// emoji) would read with "?" in it: the program says so and ends with 0,
// and no database.db appears there, beside it or at the drive's root.
TEST_F(ProgramRun, RefusesToRunFromAFolderItCannotName) {
    const std::wstring odd = folder.path() + L"\\\uc11c\ubc84\U0001F600";
    ASSERT_TRUE(CreateDirectoryW(odd.c_str(), nullptr));
    const bool rootHadOne = exists(L"C:\\database.db");
    const std::wstring exe = odd + L"\\qerno.exe";
    ASSERT_TRUE(CopyFileW(folder.copyIn(QERNO_PROGRAM).c_str(), exe.c_str(), FALSE));
    Process program(exe, L"", odd);
    auto box = e2e::findMessageBox(L"\u4fe1\u606f\uff1a", program.id());  // 信息：
    ASSERT_NE(box.box, nullptr);
    // 程序所在文件夹的路径中含有无法识别的字符，请移到其他文件夹后运行
    EXPECT_EQ(box.text, L"\u7a0b\u5e8f\u6240\u5728\u6587\u4ef6\u5939\u7684\u8def\u5f84\u4e2d\u542b\u6709\u65e0"
                        L"\u6cd5\u8bc6\u522b\u7684\u5b57\u7b26\uff0c\u8bf7\u79fb\u5230\u5176\u4ed6\u6587\u4ef6"
                        L"\u5939\u540e\u8fd0\u884c");
    ASSERT_TRUE(e2e::answerMessageBox(box.box, IDOK));
    EXPECT_EQ(program.waitExit(10000), 0u);
    EXPECT_FALSE(exists(odd + L"\\database.db"));
    EXPECT_FALSE(exists(folder.path() + L"\\database.db"));
    EXPECT_EQ(exists(L"C:\\database.db"), rootHadOne);
}

// A database.db that is not a database: the program says so, ends with 0
// and leaves the user's file exactly as it was, with nothing beside it.
TEST_F(ProgramRun, SaysADamagedDatabaseIsDamagedAndLeavesTheFileAlone) {
    const std::wstring path = folder.path() + L"\\database.db";
    std::string garbage;
    for (int i = 0; i < 300; ++i) garbage += "not a database, line " + std::to_string(i) + "\n";
    if (FILE* f = _wfopen(path.c_str(), L"wb")) {
        fwrite(garbage.data(), 1, garbage.size(), f);
        fclose(f);
    }
    ASSERT_EQ(fileBytes(path), garbage);
    const std::wstring exe = folder.copyIn(QERNO_PROGRAM);
    Process program(exe, L"", folder.path());
    auto box = e2e::findMessageBox(L"\u4fe1\u606f\uff1a", program.id());  // 信息：
    ASSERT_NE(box.box, nullptr);
    EXPECT_EQ(box.text, L"\u6570\u636e\u5e93\u6587\u4ef6\u5df2\u635f\u574f\uff1a" L"database.db");  // 数据库文件已损坏：
    ASSERT_TRUE(e2e::answerMessageBox(box.box, IDOK));
    EXPECT_EQ(program.waitExit(10000), 0u);
    EXPECT_EQ(fileBytes(path), garbage);
    for (const wchar_t* beside : {L"-journal", L"-wal", L"-shm"})
        EXPECT_FALSE(exists(path + beside)) << e2e::utf8(beside);
}

// 200 hosts that never answer, all logging: "退出" while their cycles and
// log writes run ends the process with 0 each time.
TEST_F(ProgramRun, ExitWhileManyTasksLogEndsCleanly) {
    std::vector<Host> hosts;
    static char ips[200][24];
    for (int i = 0; i < 200; ++i) {
        std::snprintf(ips[i], sizeof ips[i], "198.18.2.%d", i + 1);
        hosts.push_back({i + 1, "quiet", ips[i], 1, {0x00C000, 0x00C0C0, 0x0080FF, 0x0000C0}});
    }
    const std::wstring dbPath = makeDatabase(folder, hosts);
    const std::wstring exe = folder.copyIn(QERNO_PROGRAM);
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        Process program(exe, L"", folder.path());
        HWND main = e2e::findWindow(kMainTitle, program.id());
        ASSERT_NE(main, nullptr);
        {
            Database db(dbPath);
            const long long before = db.number("SELECT COUNT(*) FROM record");
            waitUntil([&] { return db.number("SELECT COUNT(*) FROM record") >= before + 200; }, 15000);
        }
        PostMessageW(main, kTrayCallback, 1, WM_RBUTTONDOWN);
        ASSERT_NE(e2e::findPopupMenu(), nullptr);
        ASSERT_TRUE(e2e::chooseMenuItem(kExitItem));
        EXPECT_EQ(program.waitExit(15000), 0u);
    }
    // The program closed its connection: the last close folds the WAL back.
    EXPECT_EQ(GetFileAttributesW((dbPath + L"-wal").c_str()), INVALID_FILE_ATTRIBUTES);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(utf8Path(dbPath).c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), "ok");
    sqlite3_finalize(s);
    sqlite3_close(raw);
}

}  // namespace
