// A main window on a fresh database file with the host, log and about
// actions installed, monitor tasks reporting to a recorder of host ids, and
// message boxes answered from another thread. Windows only.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "monitor/monitor_context.h"
#include "monitor/report_mailbox.h"
#include "monitor/task_control.h"
#include "monitor/task_messages.h"
#include "runtime/codepage.h"
#include "runtime/handoff_block.h"
#include "runtime/lock.h"
#include "runtime/win32/list_view_commands.h"
#include "runtime/win32/window_commands.h"
#include "store/schema.h"
#include "store/sqlite_dataset.h"
#include "store/sqlite_db.h"
#include "tests/e2e/helper/driver.h"
#include "tests/hosts/int_query.h"
#include "tests/ui/ui_test_support.h"
#include "ui/actions.h"
#include "ui/host_actions_install.h"
#include "ui/host_dialog.h"
#include "ui/main_window.h"


// Pumps messages until done() or the time is up; done()'s last result.
inline bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        pump();
        if (done()) return true;
        Sleep(20);
    }
    pump();
    return done();
}

inline void pumpFor(int ms) { pumpUntil([] { return false; }, ms); }

// Answers the next message boxes captioned "信息：" from another thread, one
// button each in turn, as a user would, and keeps what each said and whom
// it belonged to.
class BoxAnswers {
public:
    explicit BoxAnswers(std::vector<int> buttons) {
        thread_ = std::thread([this, buttons] {
            for (int button : buttons) {
                auto seen = e2e::findMessageBox(L"\u4fe1\u606f\uff1a", GetCurrentProcessId());
                if (!seen.box) return;
                texts.push_back(seen.text);
                owners.push_back(GetWindow(seen.box, GW_OWNER));
                e2e::answerMessageBox(seen.box, button);
                for (int i = 0; i < 250 && IsWindow(seen.box); ++i) Sleep(20);
            }
        });
    }
    ~BoxAnswers() { join(); }
    void join() { if (thread_.joinable()) thread_.join(); }
    std::vector<std::wstring> texts;
    std::vector<HWND> owners;

private:
    std::thread thread_;
};

// The process's one connection: monitor tasks that are still ending may
// read it after a test, so it is never destroyed, only reopened.
inline SqliteDB& testDatabase() {
    static SqliteDB* db = new SqliteDB;
    return *db;
}

class HostsTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, dir);
        path_ = std::wstring(dir) + L"qerno-hosts-" + std::to_wstring(GetTickCount()) + L".db";
        DeleteFileW(path_.c_str());
        ASSERT_TRUE(CreateDatabaseFile(fromWide(path_.c_str())));
        ASSERT_TRUE(db().open(fromWide(path_.c_str())));
        lock_ = createLock();
        setMonitorDatabase(&db());
        setMonitorLogLock(lock_);
        installHostActions(db());
        ASSERT_TRUE(loadWindow(mainWindow()));
        setMonitorReceiver(reinterpret_cast<UiReceiver>(mainWindow().unitHandle(MainWin::标签_消息接收)));
        uiActions().statusReport = [this](std::intptr_t wp, std::intptr_t lp) {
            for (std::uintptr_t block : reportsOf(static_cast<std::uintptr_t>(wp), lp, monitorReports()))
                ++reports_[decodeTaskStatus(takeHandoffBlock(block)).hostId];
            return 0;
        };
    }

    void TearDown() override {
        for (int id : column("select id from serverlist")) TaskControl(id, taskStop);
        setMonitorReceiver(0);
        if (hostDialog().loaded()) hostDialog().destroyNow();
        mainWindow().destroyNow();
        pump();
        enterLock(lock_);  // no task is inside its log write now
        setMonitorDatabase(nullptr);
        setMonitorLogLock(0);
        leaveLock(lock_);
        deleteLock(lock_);
        db().close();
        DeleteFileW(path_.c_str());
        uiActions().statusReport = nullptr;
    }

    SqliteDB& db() { return testDatabase(); }
    ::Unit hostList() { return unitOf(mainWindow(), MainWin::超级列表框_通讯); }
    ::Unit logList() { return unitOf(mainWindow(), MainWin::超级列表框_日志); }
    ::Unit dialogUnit(int u) { return unitOf(hostDialog(), u); }

    // One integer column of a query's rows, in result order.
    std::vector<int> column(const char* sql) { return integerColumn(sql, db()); }
    int scalar(const std::string& sql) { return integerScalar(sql, db()); }

    // Reports received per host since the last reset.
    int reports(int id) { return reports_.count(id) ? reports_[id] : 0; }
    void resetReports() { reports_.clear(); }

    std::vector<Text> rowTexts(::Unit list, int row, int columns) {
        std::vector<Text> cells;
        for (int c = 0; c < columns; ++c) cells.push_back(itemText(list, row, c));
        return cells;
    }

private:
    std::wstring path_;
    LockHandle lock_ = 0;
    std::map<int, int> reports_;
};
