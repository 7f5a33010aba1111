#include "app/startup.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/alerts.h"
#include "app/globals.h"
#include "app/program_export.h"
#include "app/program_history.h"
#include "app/program_log.h"
#include "app/single_instance.h"
#include "app/staged_start.h"
#include "monitor/monitor_context.h"
#include "runtime/convert.h"
#include "runtime/datetime.h"
#include "runtime/lock.h"
#include "runtime/system.h"
#include "runtime/text_commands.h"
#include "runtime/win32/list_view_commands.h"
#include "runtime/win32/message_box.h"
#include "runtime/win32/program.h"
#include "runtime/win32/window_commands.h"
#include "store/database_check.h"
#include "store/date_text.h"
#include "store/host_record.h"
#include "store/log_reads.h"
#include "store/log_upkeep.h"
#include "store/schema.h"
#include "store/sqlite_db.h"
#include "store/sqlite_table.h"
#include "ui/list_colours.h"
#include "ui/main_window.h"
#include "ui/tray.h"

namespace {

constexpr int kRowHeight = 24;
constexpr int kTabHeight = 30;
constexpr UINT kSetTabItemSize = 0x1329;  // TCM_SETITEMSIZE
// Another program's short lock (a backup, a viewer) is waited out at start;
// past this the user is told, since the host list could not be read.
constexpr int kStartupBusyWaitMs = 3000;
// After the first read the shared connection waits only briefly for another
// connection's write (a history batch takes a few ms): a statement waiting
// inside SQLite holds the connection for every thread, the window's too. A
// log row that still finds the file busy is tried again by the log writer.
constexpr int kSharedBusyWaitMs = 100;

Unit mainUnit(int id) { return unitOf(mainWindow(), id); }

// A missing database.db is made with the schema (and an empty host list)
// rather than leaving every later read and write to fail unnoticed. An
// existing file is never replaced, but gains the tables and indexes it
// lacks, so that a file from an earlier version serves the newer features.
// Says what is wrong with database.db, once, before the host list is read.
// False when the program cannot serve the user with it: the user's file is
// then left exactly as it is (never rewritten, renamed or deleted).
bool acceptDatabaseState(DatabaseState state) {
    const char* text = nullptr;
    switch (state) {
    case DatabaseState::usable: return true;
    case DatabaseState::readOnly:
        messageBox("数据库为只读，日志和主机的修改将无法保存", BoxFlags::Information, "信息：",
                   mainWindow().handle());
        return true;
    case DatabaseState::busy: text = "数据库被其他程序占用，请关闭后重试"; break;
    case DatabaseState::notDatabase: text = "数据库文件已损坏：database.db"; break;
    case DatabaseState::cannotOpen: text = "无法打开数据库：database.db，请检查文件夹是否可写"; break;
    case DatabaseState::walWithoutShm: text = "数据库缺少 database.db-shm 文件且文件夹只读，无法打开"; break;
    }
    messageBox(text, BoxFlags::Error, "信息：", mainWindow().handle());
    return false;
}

void openDatabase(const Text& path) {
    SqliteDB& db = programDatabase();
    if (!db.open(path) && CreateDatabaseFile(path)) db.open(path);
    if (!acceptDatabaseState(CheckDatabase(db, kStartupBusyWaitMs))) endProgram(0);
    db.setBusyTimeout(kSharedBusyWaitMs);
    MapLogReads(db);  // without a map the log page reads page by page
    CreateMissingSchema(db);
    setMonitorDatabase(&db);
}

// Lists every host (item data: its id) and resets its stored task handle,
// inside one transaction, and queues its task's start: the tasks start in
// steps from the message loop, in this order, once the window is ready.
void listAndStartHosts(SqliteTable& table) {
    SqliteDB& db = programDatabase();
    const Unit list = mainUnit(MainWin::超级列表框_通讯);
    db.beginTransaction();
    openHostTable(table, db);
    const int count = table.recordCount();
    ListFillGuard fill(list, count);
    table.moveFirst();
    for (int i = 1; i <= count; ++i) {
        HostRecord host;
        // The auto-start flag is read, but every host's task starts.
        readHostRecord(table, host, {HostField::id, HostField::address, HostField::name,
                                     HostField::logFlag, HostField::autoStart});
        const int row = insertItem(list, -1, host.name, -1, 0, host.id);
        setItemText(list, row, 1, host.address);
        setItemText(list, row, 4, host.logFlag == 1 ? "正常记录" : "停止记录");
        table.edit();
        host.handle = 0;  // no task runs yet: any stored token is from an earlier run
        writeHostRecord(table, host, {HostField::handle});
        table.update();
        table.skip(1);
        queueTaskStart(host.id);
    }
    table.close();
    db.commitTransaction();
}

void prepareDateBoxes() {
    const Text today = FormatDateTime(now(), DateTextForm::dateOnly);
    for (int id : {MainWin::日期框_开始日期, MainWin::日期框_结束日期})
        SendMessageW(windowHandle(mainUnit(id)), DTM_SETFORMATW, 0,
                     reinterpret_cast<LPARAM>(L"yyyy-MM-dd HH:mm:ss"));
    setProperty(mainUnit(MainWin::日期框_开始日期), Property::DateValue, toDateTime(today + " 0:0:0"));
    setProperty(mainUnit(MainWin::日期框_结束日期), Property::DateValue, toDateTime(today + " 23:59:59"));
}

}  // namespace

bool isTemporaryFolder(const Text& runDirectory) {
    return findText(runDirectory, "\\Local Settings\\Temp") != -1 ||
           findText(runDirectory, "\\AppData\\Local\\Temp") != -1;
}

void OnMainWindowCreated() {
    SqliteTable table;
    const Text dir = runDirectory() + "\\";
    HWND main = mainWindow().handle();
    if (isTemporaryFolder(dir)) {
        // Text(...): a bare literal would pick the bool overload.
        messageBox(Text("请把压缩包解压后运行！"), BoxFlags::Information, "信息：", main);
        endProgram(0);
    }
    if (!runDirectoryIsExact()) {
        // The folder's name would read with "?" in it: database.db could not
        // be reached there, and a guess at another path could make one elsewhere.
        messageBox(Text("程序所在文件夹的路径中含有无法识别的字符，请移到其他文件夹后运行"), BoxFlags::Error,
                   "信息：", main);
        endProgram(0);
    }
    if (CheckOtherInstance(kInstanceName)) {
        ActivateOtherInstance(kInstanceName, kInstanceMarker);
        endProgram(0);
    }
    MarkInstanceWindow(main, kInstanceName, kInstanceMarker);
    setMonitorReceiver(reinterpret_cast<UiReceiver>(windowHandle(mainUnit(MainWin::标签_消息接收))));
    openDatabase(dir + "database.db");
    startProgramLogWriter(dir + "database.db");
    startProgramHistory(dir + "database.db");  // before the tasks start: it hears each start
    listAndStartHosts(table);
    // After the loading transaction: the upkeep's index build and ANALYZE
    // (seconds on a large log, on a connection of its own) must not hold up
    // the window, and start-up's writes must not wait for them.
    StartLogUpkeep(dir + "database.db");
    startProgramExport(dir + "database.db");
    setRowHeight(main, windowHandle(mainUnit(MainWin::超级列表框_通讯)), kRowHeight);
    setRowHeight(main, windowHandle(mainUnit(MainWin::超级列表框_日志)), kRowHeight);
    sendMessage(mainUnit(MainWin::选择夹_通讯), kSetTabItemSize, 0, MAKELPARAM(0, kTabHeight));
    setMonitorLogLock(createLock());
    prepareDateBoxes();
    addTrayIcon(main, &programIconFile(), "Qerno网络检测", true, TrayEvent);
    showTrayBalloon("欢迎使用", "Qerno网络检测", NIIF_INFO);
    startAlerts(main);
    // Last: a long host list starts while the window already answers, and
    // the first tasks find the log lock and every listener in place.
    startQueuedTasks(main);
}
