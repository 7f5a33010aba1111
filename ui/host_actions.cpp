#include "ui/host_actions.h"

#include "monitor/monitor_context.h"
#include "monitor/task_control.h"
#include "runtime/lock_guard.h"
#include "runtime/win32/list_view_commands.h"
#include "store/sqlite_db.h"
#include "store/statements.h"
#include "ui/host_dialog.h"
#include "ui/host_form.h"
#include "ui/main_window.h"

namespace {

int g_editedHost = 0;  // the user-interface thread only

::Unit hostList() { return unitOf(mainWindow(), MainWin::超级列表框_通讯); }

// The first selected row, -1 when none.
int currentRow() {
    Value v = getProperty(hostList(), Property::FirstSelected);
    const std::int32_t* row = std::get_if<std::int32_t>(&v);
    return row ? *row : -1;
}

// Opens the dialog, or brings the open one to the front with its fields as
// they are, and titles it.
bool openHostDialog(const char* title) {
    if (!loadWindow(hostDialog(), &mainWindow())) return false;
    setProperty(unitOf(hostDialog()), Property::Title, Text(title));
    return true;
}

void writeHostRow(int row, const HostForm& form) {
    setItemText(hostList(), row, 0, form.name);
    setItemText(hostList(), row, 1, form.address);
    setItemText(hostList(), row, 4, form.record ? "正常记录" : "停止记录");
}

void controlEveryTask(TaskOperation operation) {
    ::Unit list = hostList();
    for (int row = 0, n = itemCount(list); row < n; ++row) TaskControl(itemData(list, row), operation);
}

void controlCurrentTask(TaskOperation operation) {
    int row = currentRow();
    if (row < 0) return;  // no host has id 0: TaskControl would do nothing anyway
    TaskControl(itemData(hostList(), row), operation);
}

}  // namespace

int editedHost() { return g_editedHost; }

std::vector<int> listedHosts() {
    std::vector<int> ids;
    ::Unit list = hostList();
    for (int row = 0, n = itemCount(list); row < n; ++row) ids.push_back(itemData(list, row));
    return ids;
}

int selectedHost() {
    const int row = currentRow();
    return row < 0 ? 0 : itemData(hostList(), row);
}

void addHost() {
    g_editedHost = 0;
    openHostDialog("添加");
}

void editHost(SqliteDB& db) {
    int row = currentRow();
    if (row < 0) return;
    int id = itemData(hostList(), row);
    if (!openHostDialog("修改记录")) return;
    g_editedHost = id;
    HostForm form;
    if (loadHostForm(db, id, form)) writeHostForm(form);
}

void saveHost(SqliteDB& db) {
    HostForm form = readHostForm();
    int id = g_editedHost;
    int row = -1;
    if (id <= 0) {
        id = static_cast<int>(storeHostForm(db, 0, form));
        // A failed insert lists nothing: a row with item data 0 would stand
        // for no host at all.
        if (id > 0) row = insertItem(hostList(), -1, form.name, -1, 0, id);
    } else {
        storeHostForm(db, id, form);
        row = findItemByData(hostList(), id);
    }
    if (id > 0) TaskControl(id, taskStart);
    if (row >= 0) writeHostRow(row, form);
    destroyWindow(hostDialog());
}

void deleteHosts(SqliteDB& db) {
    ::Unit list = hostList();
    std::vector<int> rows = selectedItems(list);
    for (int row : rows) {
        int id = itemData(list, row);
        // Under the log lock, so that the host's task cannot be writing a
        // log row while its task ends and its host row goes.
        const LockGuard logLock(monitorLogLock());
        TaskControl(id, taskStop);
        db.execute(HostDeleteSql(id));
    }
    // Each deletion moves the later rows up by one.
    for (size_t j = 0; j < rows.size(); ++j) deleteItem(list, rows[j] - static_cast<int>(j));
}

void startAllTasks() { controlEveryTask(taskStart); }
void stopAllTasks() { controlEveryTask(taskStop); }
void startSelectedTask() { controlCurrentTask(taskStart); }
void stopSelectedTask() { controlCurrentTask(taskStop); }
