#include "ui/log_view.h"

#include "monitor/log_writer.h"
#include "monitor/monitor_context.h"
#include "runtime/convert.h"
#include "runtime/lock_guard.h"
#include "runtime/win32/list_view_commands.h"
#include "runtime/win32/message_box.h"
#include "store/date_text.h"
#include "store/log_type_text.h"
#include "store/sqlite_dataset.h"
#include "store/sqlite_db.h"
#include "store/statements.h"
#include "ui/main_window.h"

namespace {

using namespace MainWin;

::Unit logList() { return unitOf(mainWindow(), 超级列表框_日志); }

// 3 for "异常", 4 for "超时"; 0 (no filter) for "全部" and no selection.
int typeFilter() {
    Value v = getProperty(unitOf(mainWindow(), 组合框1), Property::ComboSelection);
    const std::int32_t* index = std::get_if<std::int32_t>(&v);
    if (!index) return 0;
    return *index == 1 ? 3 : *index == 2 ? 4 : 0;
}

Text dateOf(int unit) {
    Value v = getProperty(unitOf(mainWindow(), unit), Property::DateValue);
    const DateTime* date = std::get_if<DateTime>(&v);
    return date ? FormatDateTime(*date) : Text();
}

bool timeRangeOn() {
    Value v = getProperty(unitOf(mainWindow(), 选择框_时间), Property::Checked);
    const bool* on = std::get_if<bool>(&v);
    return on && *on;
}

void appendLogRow(SqliteDataset& rows) {
    int id = 0, type = 0, color = 0, time = 0;
    Text ip, name, date;
    rows.read("id", id);
    rows.read("ip", ip);
    rows.read("name", name);
    rows.read("type", type);
    rows.read("color", color);  // read with the row, not shown
    rows.read("time", time);
    rows.read("date", date);
    int row = insertItem(logList(), -1, date, -1, 0, id);
    if (row < 0) return;
    setItemText(logList(), row, 1, name);
    setItemText(logList(), row, 2, ip);
    setItemText(logList(), row, 3, toText(time) + " ms");
    setItemText(logList(), row, 4, LogTypeText(type));
}

int askMainWindow(const char* text, int flags) {
    return messageBox(Text(text), flags, "信息：", mainWindow().handle());
}

// Under the log lock, as every write to the log is: the clear never runs
// inside the log writer's transaction, and the rows still queued for it,
// of cycles before the clear, go too.
bool clearLogUnderLock(SqliteDB& db) {
    const LockGuard logLock(monitorLogLock());
    if (LogWriter* writer = monitorLogWriter()) writer->dropQueued();
    return db.execute(LogClearSql());
}

}  // namespace

Text currentLogCondition() {
    bool byTime = timeRangeOn();
    return LogQueryCondition(byTime, byTime ? dateOf(日期框_开始日期) : Text(),
                             byTime ? dateOf(日期框_结束日期) : Text(), typeFilter());
}

void queryLog(SqliteDB& db) {
    const Text condition = currentLogCondition();
    deleteAllItems(logList());
    SqliteDataset rows;
    if (!rows.open(LogQuerySql(condition), db) || !rows.requery()) return;
    for (int n = rows.recordCount(), i = 0; i < n && rows.moveNext(); ++i) appendLogRow(rows);
    rows.close();
}

void clearLog(SqliteDB& db) {
    if (askMainWindow("是否清空所有日志？", BoxFlags::Question) != BoxResult::Yes) return;
    const bool cleared = clearLogUnderLock(db);
    if (!cleared) {
        askMainWindow("操作失败", BoxFlags::Error);
        return;
    }
    deleteAllItems(logList());
    askMainWindow("操作成功", BoxFlags::Information);
}
