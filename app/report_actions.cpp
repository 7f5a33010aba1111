#include "app/report_actions.h"

#include <windows.h>
#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "monitor/monitor_context.h"
#include "report/report_csv.h"
#include "report/report_html.h"
#include "report/report_job.h"
#include "report/report_reader.h"
#include "runtime/codepage.h"
#include "runtime/datetime.h"
#include "runtime/output_file.h"
#include "runtime/system.h"
#include "runtime/win32/list_view_commands.h"
#include "runtime/win32/message_box.h"
#include "runtime/win32/save_file_dialog.h"
#include "runtime/win32/window_commands.h"
#include "store/date_text.h"
#include "store/sqlite_db.h"
#include "ui/actions.h"
#include "ui/main_window.h"
#include "ui/report_dialog.h"
#include "ui/web_links.h"

namespace {

using namespace ReportDlg;

constexpr double kDefaultDays = 7;  // the range a dialog opens with: the last week up to now
// How often the window's thread looks at a report being made.
constexpr UINT kReportWatchMs = 50;
const char* const kTitle = "生成报告";
const char* const kBusyTitle = "生成报告（正在读取…）";
const char* const kCaption = "信息：";
const std::string kCsvExtension = ".csv";

void fill(std::function<void()>& slot, std::function<void()> action) {
    if (!slot) slot = std::move(action);
}

::Unit field(int unit) { return unitOf(reportDialog(), unit); }
::Unit hostList() { return unitOf(mainWindow(), MainWin::超级列表框_通讯); }

bool checked(int unit) {
    const Value v = getProperty(field(unit), Property::Checked);
    const bool* b = std::get_if<bool>(&v);
    return b && *b;
}

void tell(const char* text) { messageBox(Text(text), BoxFlags::Information, kCaption, reportDialog().handle()); }

std::optional<LocalSeconds> dateIn(int unit) {
    const Value v = getProperty(field(unit), Property::DateValue);
    const DateTime* date = std::get_if<DateTime>(&v);
    if (!date) return std::nullopt;
    return utcFromText(FormatDateTime(*date).str());
}

// ---- The report being made ----

using ReportWriter = void (*)(const ReportFigures&);

// The job whose figures are being made, and what is done with them: at
// most one. The dialog's two buttons are off while it runs.
struct PendingReport {
    std::unique_ptr<ReportJob> job;
    ReportWriter write = nullptr;
    UINT_PTR timer = 0;
};

PendingReport& pendingReport() {
    static PendingReport pending;
    return pending;
}

void showBusy(bool busy) {
    if (!reportDialog().loaded()) return;
    for (int unit : {按钮_生成, 按钮_导出CSV}) EnableWindow(windowHandle(field(unit)), !busy);
    setProperty(field(kWindowUnit), Property::TextSlot, Text(busy ? kBusyTitle : kTitle));
}

// ---- Filling ----

// The hosts as the host list shows them, all ticked; the list is for
// choosing only while "全部主机" is off.
void fillReport() {
    setProperty(field(日期框_开始日期), Property::DateValue, DateTime{now().value - kDefaultDays});
    setProperty(field(日期框_结束日期), Property::DateValue, now());
    const ::Unit hosts = hostList(), choice = field(超级列表框_主机);
    for (int row = 0, n = itemCount(hosts); row < n; ++row) {
        const Text shown = itemText(hosts, row, 0) + "（" + itemText(hosts, row, 1) + "）";
        const int item = insertItem(choice, -1, shown, -1, 0, itemData(hosts, row));
        setItemChecked(choice, item, true);
    }
    EnableWindow(windowHandle(choice), !checked(选择框_全部主机));
    // Reopened while a report is still being made: it goes to this dialog.
    showBusy(pendingReport().job != nullptr);
}

void reportHostsChosen() { EnableWindow(windowHandle(field(超级列表框_主机)), !checked(选择框_全部主机)); }

// ---- The request ----

ReportHost hostOfRow(int row) {
    const ::Unit hosts = hostList();
    const int id = itemData(field(超级列表框_主机), row);
    const int shown = findItemByData(hosts, id);
    return {id, gbkToUtf8(itemText(hosts, shown, 0)), gbkToUtf8(itemText(hosts, shown, 1))};
}

// The request the dialog shows; a message box and nothing when it makes no
// report.
std::optional<ReportRequest> requestShown() {
    const std::optional<LocalSeconds> from = dateIn(日期框_开始日期), to = dateIn(日期框_结束日期);
    if (!from || !to || *from == *to) {
        tell("时间范围为空，请选择开始和结束时间。");
        return std::nullopt;
    }
    if (*from > *to) {
        tell("开始时间晚于结束时间，请重新选择。");
        return std::nullopt;
    }
    ReportRequest r;
    r.from = *from;
    r.to = *to;
    r.now = utcFromText(FormatDateTime(now()).str()).value_or(*to);
    const bool all = checked(选择框_全部主机);
    const ::Unit choice = field(超级列表框_主机);
    for (int row = 0, n = itemCount(choice); row < n; ++row)
        if (all || itemChecked(choice, row)) r.hosts.push_back(hostOfRow(row));
    if (r.hosts.empty()) {
        tell("请至少勾选一台主机。");
        return std::nullopt;
    }
    if (r.from >= r.now) {
        tell("所选时段尚未开始，没有可报告的记录。");
        return std::nullopt;
    }
    return r;
}

// ---- Files ----

// "报告_20240310_153000" for the moment it is made.
Text stampedName(const char* prefix) {
    const CivilTime t = civilFromDateTime(now());
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "_%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return Text(prefix) + stamp;
}

// Written in full under a temporary name and then renamed: a failed write
// leaves no file, and no half report, under the chosen name.
bool writeWhole(const Text& path, const std::string& bytes) {
    OutputFile file;
    return file.open(path) && file.write(bytes) && file.commit();
}

std::optional<Text> askPath(const char* title, const Text& name, const char* filter, const char* extension) {
    SaveFileRequest request;
    request.title = title;
    request.initialFolder = runDirectory();
    request.defaultName = name + "." + extension;
    request.filterDescription = Text(filter) + " (*." + extension + ")";
    request.filterPattern = Text("*.") + extension;
    request.defaultExtension = extension;
    Text path;
    if (!chooseSaveFile(reportDialog().handle(), request, path)) return std::nullopt;
    return path;
}

// The file chosen for the report's HTML page: written, and opened when asked.
void writeReportHtml(const ReportFigures& figures) {
    const std::optional<Text> path = askPath("保存报告", stampedName("报告"), "网页文件", "html");
    if (!path) return;
    if (!writeWhole(*path, reportHtml(figures))) {
        tell("无法写入报告文件，请换一个位置。");
        return;
    }
    if (checked(选择框_生成后打开)) openWebAddress(*path);
}

// Two files side by side: the chosen name for the hosts' table, the same
// name with "_中断" for the outage list.
void writeReportCsv(const ReportFigures& figures) {
    const std::optional<Text> path = askPath("导出 CSV", stampedName("报告"), "CSV 文件", "csv");
    if (!path) return;
    // The dialog gives the name its extension (a GBK byte may look like a
    // backslash: only the ending is looked at).
    const std::string& hosts = path->str();
    const std::size_t stem = hosts.size() - kCsvExtension.size();
    const bool extension = hosts.size() > kCsvExtension.size() &&
                           _stricmp(hosts.c_str() + stem, kCsvExtension.c_str()) == 0;
    const Text outages = extension ? Text(hosts.substr(0, stem) + "_中断" + kCsvExtension) : *path + "_中断";
    if (!writeWhole(*path, reportHostsCsv(figures)) || !writeWhole(outages, reportOutagesCsv(figures)))
        tell("无法写入 CSV 文件，请换一个位置。");
}

// ---- The figures, on a thread of their own ----

// The job has ended: its figures go to the file the user chooses, or the
// user hears why there is none. A dialog closed meanwhile wants neither.
void finishReport() {
    PendingReport& p = pendingReport();
    KillTimer(nullptr, std::exchange(p.timer, 0));
    p.job->wait(-1);  // it has ended: returns at once
    const std::unique_ptr<ReportJob> job = std::move(p.job);
    const ReportWriter write = std::exchange(p.write, nullptr);
    if (!reportDialog().loaded()) return;
    showBusy(false);
    const ReportJobResult& result = job->result();
    if (!result.read) tell("无法读取数据库，未生成报告。");
    else if (!result.figures->hasData()) tell("所选时段内没有这些主机的记录，未生成报告。");
    else write(*result.figures);
}

void CALLBACK onReportWatch(HWND, UINT, UINT_PTR, DWORD) {
    const PendingReport& p = pendingReport();
    if (p.job && p.job->finished()) finishReport();
}

// Starts making the figures of the request shown; `write` gets them.
void makeReport(ReportWriter write) {
    PendingReport& p = pendingReport();
    if (p.job) return;  // its buttons are off; a second click before that changes nothing
    const std::optional<ReportRequest> request = requestShown();
    if (!request) return;
    // The file the program has open, read on a connection of the report's own.
    SqliteDB* shared = monitorDatabase();
    const char* file = shared && shared->isOpen() ? sqlite3_db_filename(shared->connection(), "main") : nullptr;
    auto job = file ? std::make_unique<ReportJob>(utf8ToGbk(file), *request, machineLocalClock()) : nullptr;
    if (!job || !job->start()) {
        tell("无法读取数据库，未生成报告。");
        return;
    }
    p.job = std::move(job);
    p.write = write;
    p.timer = SetTimer(nullptr, 0, kReportWatchMs, onReportWatch);
    showBusy(true);
}

void generateReport() { makeReport(writeReportHtml); }
void exportReportCsv() { makeReport(writeReportCsv); }

}  // namespace

void endReport(int waitMs) {
    PendingReport& p = pendingReport();
    if (!p.job) return;
    KillTimer(nullptr, std::exchange(p.timer, 0));
    // Still reading at the end: the thread keeps its job; the process ends around it.
    if (p.job->wait(waitMs)) p.job.reset();
    else (void)p.job.release();
}

void installReportActions() {
    UiActions& a = uiActions();
    fill(a.openReport, [] { loadWindow(reportDialog(), &mainWindow()); });
    fill(a.fillReport, fillReport);
    fill(a.reportHostsChosen, reportHostsChosen);
    fill(a.generateReport, generateReport);
    fill(a.exportReportCsv, exportReportCsv);
}
