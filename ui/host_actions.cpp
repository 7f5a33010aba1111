#include "ui/host_actions.h"

#include "monitor/host_address.h"
#include "monitor/monitor_context.h"
#include "monitor/task_control.h"
#include "runtime/lock_guard.h"
#include "runtime/win32/list_view_commands.h"
#include "runtime/win32/message_box.h"
#include "store/sqlite_db.h"
#include "store/statements.h"
#include "ui/actions.h"
#include "ui/host_dialog.h"
#include "ui/host_form.h"
#include "ui/main_window.h"

namespace {

int g_editedHost = 0;  // the user-interface thread only
HostForm g_loadedHost;  // the edited host as stored when the dialog was filled

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

// Why the dialog's values cannot be saved; nullptr when they can. A stored
// value the user left as it was passes unchecked: a host saved before these
// rules (or by another program) still saves and runs as it did.
const char* saveProblem(const HostForm& form) {
    // Before the address rules: "主机😀" would read as "主机?", refused as
    // a malformed address when the user's fault is the character.
    switch (lostHostText()) {
    case LostText::name: return "名称中含有无法识别的字符";
    case LostText::address: return "地址中含有无法识别的字符";
    case LostText::none: break;
    }
    const HostForm* loaded = g_editedHost > 0 ? &g_loadedHost : nullptr;
    if (!(loaded && form.address == loaded->address) && !IsMonitorableAddress(form.address))
        return "地址格式不正确";
    for (int i = 0; i < kHostClasses; ++i)
        if (!(loaded && form.time[i] == loaded->time[i]) && !IsValidThreshold(form.time[i]))
            return "阈值应在 0 到 60000 之间";
    return nullptr;
}

// The stored texts the dialog showed with "?" and the user left as shown.
KeptTexts keptTexts(const HostForm& form) {
    if (g_editedHost <= 0) return {};
    return {!g_loadedHost.stored.name && form.name == g_loadedHost.name,
            !g_loadedHost.stored.address && form.address == g_loadedHost.address};
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
    if (openHostDialog("添加") && uiActions().hostDialogShown) uiActions().hostDialogShown(0);
}

void editHost(SqliteDB& db) {
    int row = currentRow();
    if (row < 0) return;
    int id = itemData(hostList(), row);
    if (!openHostDialog("修改记录")) return;
    g_editedHost = id;
    g_loadedHost = HostForm();  // never another host's values, should the load fail
    HostForm form;
    const bool loaded = loadHostForm(db, id, form);
    g_loadedHost = form;  // what a save compares with; nothing when the host is gone
    if (loaded) writeHostForm(form);
    if (uiActions().hostDialogShown) uiActions().hostDialogShown(id);
}

void saveHost(SqliteDB& db) {
    HostForm form = readHostForm();
    // The dialog stays open with what was typed, for the user to correct.
    if (const char* problem = saveProblem(form)) {
        messageBox(problem, BoxFlags::Error, "信息：", mainWindow().handle());
        return;
    }
    int id = g_editedHost;
    // A save the file refuses (read-only, held by another program) keeps
    // the dialog and its values: the list and the task stay as stored.
    const int stored = static_cast<int>(storeHostForm(db, id, form, keptTexts(form)));
    if (stored <= 0) {
        messageBox("保存失败", BoxFlags::Error, "信息：", mainWindow().handle());
        return;
    }
    const bool adding = id <= 0;
    id = stored;
    const int row = adding ? insertItem(hostList(), -1, form.name, -1, 0, id) : findItemByData(hostList(), id);
    TaskControl(id, taskStart);
    if (row >= 0) writeHostRow(row, form);
    destroyWindow(hostDialog());
}

void deleteHosts(SqliteDB& db) {
    ::Unit list = hostList();
    std::vector<int> rows = selectedItems(list);
    for (int row : rows) {
        int id = itemData(list, row);
        // Under the log lock, as every write of this connection is: the log
        // writer's transaction never holds the file while the host row goes.
        const LockGuard logLock(monitorLogLock());
        TaskControl(id, taskStop);
        db.execute(HostDeleteSql(id));
        if (uiActions().hostDeleted) uiActions().hostDeleted(id);
    }
    // Each deletion moves the later rows up by one.
    for (size_t j = 0; j < rows.size(); ++j) deleteItem(list, rows[j] - static_cast<int>(j));
}

void startAllTasks() { controlEveryTask(taskStart); }
void stopAllTasks() { controlEveryTask(taskStop); }
void startSelectedTask() { controlCurrentTask(taskStart); }
void stopSelectedTask() { controlCurrentTask(taskStop); }
