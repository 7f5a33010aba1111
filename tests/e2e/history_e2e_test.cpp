// The history as a user meets it, the real program inside the test network
// namespace (scripts/netns): minute rows of a 250 ms host, a host that loses
// about half its echoes and a silent host; the statistics tooltip over the
// host list; the graph window from the host menu's "图表"; and "建议阈值"
// in the host dialog filling the boxes from a week of stored rows.
//
// The program writes its history every QERNO_HISTORY_FLUSH_MS (2 s here)
// instead of once a minute; rows still close only when their minute ends,
// so the test waits for the first whole minute after the start.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <sqlite3.h>

#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "store/schema.h"
#include "tests/e2e/helper/driver.h"
#include "tests/e2e/run_folder.h"

namespace {

const std::wstring kMainTitle = L"Qerno\u7f51\u7edc\u68c0\u6d4b";                   // Qerno网络检测
const std::wstring kEditTitle = L"\u4fee\u6539\u8bb0\u5f55";                        // 修改记录
const std::wstring kEditItem = L"\u4fee\u6539";                                     // 修改
const std::wstring kGraphItem = L"\u56fe\u8868";                                    // 图表
const std::wstring kGraphTitle = L"\u56fe\u8868 - slow (198.18.1.2)";               // 图表 - slow (198.18.1.2)
const std::wstring kExitItem = L"\u9000\u51fa";                                     // 退出
const std::wstring kBasis = L"\u4f9d\u636e\u8fd1 7 \u5929\u4e2d 2 \u5c0f\u65f6";    // 依据近 7 天中 2 小时
constexpr int kHostListId = 2;
constexpr UINT kTrayCallback = 123456;
enum DialogId { kGood = 6, kNormal = 9, kAbnormal = 12, kTimeout = 15, kSuggest = 20, kBasisLine = 21 };

constexpr int kSlow = 2, kSilent = 3, kLossy = 6;  // host ids, named after their hosts
constexpr int kMinute = 60, kTenMinutes = 600;
constexpr int kStoredRows = 12;                     // two hours of 10-minute rows at 250 ms
constexpr int kFirstWholeMinuteWaitMs = 150000;     // up to two minutes and the batch after

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 250) {
        if (done()) return true;
        Sleep(250);
    }
    return done();
}

std::string utcText(long long t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::gmtime(&tt));
    return text;
}

long long nowUtc() { return static_cast<long long>(std::time(nullptr)); }

class Database {
public:
    explicit Database(const std::wstring& path) {
        sqlite3_open_v2(e2e::utf8(path).c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        if (db_) sqlite3_busy_timeout(db_, 5000);
    }
    ~Database() { sqlite3_close(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool exec(const std::string& sql) {
        return db_ && sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    // The first column of the first row; -1 when there is none, -2 for NULL.
    long long number(const std::string& sql) {
        sqlite3_stmt* s = nullptr;
        long long value = -1;
        if (db_ && sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
            value = sqlite3_column_type(s, 0) == SQLITE_NULL ? -2 : sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
        return value;
    }

private:
    sqlite3* db_ = nullptr;
};

class HistoryRun : public testing::Test {
protected:
    void SetUp() override {
        dbPath_ = folder_.path() + L"\\database.db";
        ASSERT_TRUE(CreateDatabaseFile(Text(e2e::utf8(dbPath_))));
        Database db(dbPath_);
        const struct {
            int id;
            const char* name;
            const char* ip;
        } hosts[] = {{kSlow, "slow", "198.18.1.2"}, {kSilent, "silent", "198.18.1.3"}, {kLossy, "lossy", "198.18.1.6"}};
        for (const auto& h : hosts) {
            char sql[512];
            std::snprintf(sql, sizeof sql,
                          "INSERT INTO serverlist VALUES (%d, '%s', '%s', 0, 32768, 100, 33023, 200, 255,"
                          " 2000, 6316128, 0, 1, 0)",
                          h.id, h.name, h.ip);
            ASSERT_TRUE(db.exec(sql)) << sql;
        }
        // Two hours of the slow host two days ago, as an earlier run left them.
        const long long base = (nowUtc() - 2 * 86400) / kTenMinutes * kTenMinutes;
        for (int i = 0; i < kStoredRows; ++i)
            ASSERT_TRUE(db.exec("INSERT INTO history VALUES (2, 600, '" + utcText(base + i * kTenMinutes) +
                                "', 600, 0, 250, 250, 250, 250, 250, 0)"));
        SetEnvironmentVariableW(L"QERNO_HISTORY_FLUSH_MS", L"2000");
        started_ = nowUtc();
        program_ = std::make_unique<Process>(folder_.copyIn(QERNO_PROGRAM), L"", folder_.path());
        SetEnvironmentVariableW(L"QERNO_HISTORY_FLUSH_MS", nullptr);
        main_ = e2e::findWindow(kMainTitle, program_->id());
        ASSERT_NE(main_, nullptr);
    }
    void TearDown() override {
        if (!main_) return;
        PostMessageW(main_, kTrayCallback, 1, WM_RBUTTONDOWN);
        if (e2e::chooseMenuItem(kExitItem)) {
            EXPECT_EQ(program_->waitExit(15000), 0u);
        }
    }

    HWND list() { return e2e::control(main_, kHostListId); }
    int rowMiddleY(int row) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(list(), LVM_GETHEADER, 0, 0));
        RECT r{};
        GetClientRect(header, &r);
        return r.bottom + row * 24 + 12;
    }
    void chooseHostMenu(const std::wstring& item, int row) {
        e2e::rightClick(list(), 400, rowMiddleY(row));
        HWND menu = e2e::findPopupMenu();
        ASSERT_NE(menu, nullptr) << "no host menu";
        ASSERT_TRUE(e2e::chooseMenuItem(item));
    }
    // The minute row of a host as "sent/lost min..max p50", "" when none.
    std::string minuteRow(Database& db, int host, long long start) {
        const std::string where = " FROM history WHERE period = 60 AND list_id = " + std::to_string(host) +
                                  " AND start = '" + utcText(start) + "'";
        if (db.number("SELECT COUNT(*)" + where) != 1) return "";
        return std::to_string(db.number("SELECT sent" + where)) + "/" + std::to_string(db.number("SELECT lost" + where));
    }

    RunFolder folder_;
    std::wstring dbPath_;
    std::unique_ptr<Process> program_;
    HWND main_ = nullptr;
    long long started_ = 0;
};

struct TooltipSearch {
    DWORD pid;
    HWND found = nullptr;
};

BOOL CALLBACK findTooltip(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<TooltipSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (owner == s->pid && IsWindowVisible(w) && lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0) s->found = w;
    return s->found == nullptr;
}

// A visible tooltip of the program's process, nullptr when none.
HWND shownTooltip(DWORD pid) {
    TooltipSearch search{pid};
    EnumWindows(findTooltip, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK countGraphWindows(HWND w, LPARAM lp) {
    wchar_t title[128] = {};
    GetWindowTextW(w, title, 128);
    if (kGraphTitle == title && IsWindowVisible(w)) ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

TEST_F(HistoryRun, MinuteRowsTooltipGraphAndSuggestedThresholds) {
    // While the first whole minute runs: the tooltip, the graph, the dialog.
    Sleep(3000);  // a few cycles of every host
    PostMessageW(list(), WM_MOUSEMOVE, 0, MAKELPARAM(400, rowMiddleY(0)));
    EXPECT_TRUE(waitUntil([&] { return shownTooltip(program_->id()) != nullptr; }, 5000)) << "the statistics tooltip";
    PostMessageW(list(), WM_MOUSELEAVE, 0, 0);

    chooseHostMenu(kGraphItem, 0);
    HWND graph = e2e::findWindow(kGraphTitle, program_->id());
    ASSERT_NE(graph, nullptr) << "图表 opens the host's graph";
    EXPECT_TRUE(GetWindowLongW(graph, GWL_STYLE) & WS_THICKFRAME);
    chooseHostMenu(kGraphItem, 0);
    Sleep(500);
    int graphs = 0;
    EnumWindows(countGraphWindows, reinterpret_cast<LPARAM>(&graphs));
    EXPECT_EQ(graphs, 1) << "one window per host";
    PostMessageW(graph, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(graph); }, 5000)) << "Esc closes it";

    chooseHostMenu(kEditItem, 0);
    HWND dialog = e2e::findWindow(kEditTitle, program_->id());
    ASSERT_NE(dialog, nullptr);
    HWND suggest = e2e::control(dialog, kSuggest);
    ASSERT_TRUE(IsWindowEnabled(suggest)) << "two stored hours are history enough";
    e2e::pressButton(suggest);
    EXPECT_TRUE(waitUntil([&] { return e2e::text(e2e::control(dialog, kGood)) == L"250"; }, 3000));
    EXPECT_EQ(e2e::text(e2e::control(dialog, kNormal)), L"375");
    EXPECT_EQ(e2e::text(e2e::control(dialog, kAbnormal)), L"500");
    EXPECT_EQ(e2e::text(e2e::control(dialog, kTimeout)), L"1000");
    EXPECT_EQ(e2e::text(e2e::control(dialog, kBasisLine)).rfind(kBasis, 0), 0u) << e2e::utf8(e2e::text(e2e::control(dialog, kBasisLine)));
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, 5000));

    // The first whole minute after the start, written by a batch.
    const long long minute = (started_ / kMinute + 1) * kMinute;
    Database db(dbPath_);
    ASSERT_TRUE(waitUntil(
        [&] {
            return !minuteRow(db, kSlow, minute).empty() && !minuteRow(db, kSilent, minute).empty() &&
                   !minuteRow(db, kLossy, minute).empty();
        },
        kFirstWholeMinuteWaitMs))
        << "minute rows of " << utcText(minute);
    const std::string at = " AND period = 60 AND start = '" + utcText(minute) + "'";
    auto figure = [&](const char* column, int host) {
        return db.number(std::string("SELECT ") + column + " FROM history WHERE list_id = " + std::to_string(host) + at);
    };
    EXPECT_GE(figure("sent", kSlow), 30);  // a cycle every 1.25 s or so
    EXPECT_EQ(figure("lost", kSlow), 0);
    EXPECT_GE(figure("min", kSlow), 240);
    EXPECT_LT(figure("max", kSlow), 600);
    EXPECT_GE(figure("p50", kSlow), figure("min", kSlow));
    EXPECT_LE(figure("p90", kSlow), figure("max", kSlow));
    EXPECT_GE(figure("jitter", kSlow), 0);

    EXPECT_GE(figure("sent", kSilent), 20);
    EXPECT_EQ(figure("lost", kSilent), figure("sent", kSilent)) << "every cycle lost";
    for (const char* latency : {"min", "avg", "max", "p50", "p90", "jitter"})
        EXPECT_EQ(figure(latency, kSilent), -2) << latency << " is empty when nothing answered";

    const long long sent = figure("sent", kLossy), lost = figure("lost", kLossy);
    EXPECT_GE(sent, 20);
    EXPECT_GE(lost * 5, sent) << "about half lost: " << lost << " of " << sent;
    EXPECT_LE(lost * 5, sent * 4) << "about half lost: " << lost << " of " << sent;
    EXPECT_LT(figure("max", kLossy), 100) << "answered at once";
}

}  // namespace
