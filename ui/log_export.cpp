#include "ui/log_export.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "report/file_name.h"
#include "report/log_export.h"
#include "runtime/convert.h"
#include "runtime/datetime.h"
#include "runtime/system.h"
#include "runtime/thread.h"
#include "runtime/win32/message_box.h"
#include "runtime/win32/save_file_dialog.h"
#include "runtime/win32/window_commands.h"
#include "ui/log_export_window.h"
#include "ui/log_view.h"
#include "ui/main_window.h"

namespace {

using namespace LogExportWin;

// How often the user-interface thread looks at the export: often enough
// that the bar moves smoothly, rarely enough to cost nothing.
constexpr UINT kWatchIntervalMs = 100;

struct ExportJob {
    LogExportRequest request;
    LogExportStatus status;
    // Written by the export's thread before it sets `finished` (release);
    // read by the user-interface thread after it saw `finished` (acquire).
    LogExportOutcome outcome = LogExportOutcome::readFailed;
    std::atomic<bool> finished{false};
    ThreadHandle thread = 0;
    int startedAt = 0;  // tickCount()
    UINT_PTR timer = 0;
};

// The running export; at most one.
std::unique_ptr<ExportJob>& runningExport() {
    static std::unique_ptr<ExportJob> job;
    return job;
}

int exportThread(std::uintptr_t argument) {
    auto* job = reinterpret_cast<ExportJob*>(argument);
    job->outcome = ExportLog(job->request, job->status);
    job->finished.store(true, std::memory_order_release);
    return 0;
}

SaveFileRequest saveRequest() {
    SaveFileRequest r;
    r.title = "导出日志";
    r.initialFolder = runDirectory();
    r.defaultName = TimestampedFileName("日志", now(), "csv");
    r.filterDescription = "CSV 文件 (*.csv)";
    r.filterPattern = "*.csv";
    r.defaultExtension = "csv";
    return r;
}

::Unit exportUnit(int id) { return unitOf(logExportWindow(), id); }

void showProgress(const ExportJob& job) {
    if (!logExportWindow().loaded()) return;
    const long long total = job.status.rowsTotal;
    const long long written = job.status.rowsWritten;
    if (job.status.cancel) {
        setProperty(exportUnit(标签_进度), Property::TextSlot, Text("正在取消…"));
    } else if (total > 0) {
        setProperty(exportUnit(标签_进度), Property::TextSlot,
                    "已导出 " + toText(static_cast<std::int64_t>(written)) + " / " +
                        toText(static_cast<std::int64_t>(total)) + " 条");
        const long long position = written * kProgressRange / total;
        SendMessageW(windowHandle(exportUnit(进度条_导出)), PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
    if (!IsWindowVisible(logExportWindow().handle()) && tickCount() - job.startedAt >= kShowProgressAfterMs) {
        setProperty(exportUnit(kWindowUnit), Property::Visible, 1);
        setProperty(exportUnit(kWindowUnit), Property::WindowPosition, WindowPosition::RestoreAndCentre);
    }
}

// The job's thread has ended: its window goes and the user hears how it went.
void finishExport() {
    std::unique_ptr<ExportJob> job = std::move(runningExport());
    KillTimer(nullptr, job->timer);
    waitThread(job->thread, -1);  // it has ended: returns at once
    closeThreadHandle(job->thread);
    if (logExportWindow().loaded()) destroyWindow(logExportWindow());
    const Text text = logExportOutcomeText(job->outcome, job->status.rowsWritten);
    if (text.empty()) return;
    const bool failed =
        job->outcome == LogExportOutcome::readFailed || job->outcome == LogExportOutcome::writeFailed;
    messageBox(text, failed ? BoxFlags::Error : BoxFlags::Information, "信息：", mainWindow().handle());
}

void CALLBACK onWatchTimer(HWND, UINT, UINT_PTR, DWORD) {
    ExportJob* job = runningExport().get();
    if (!job) return;
    if (job->finished.load(std::memory_order_acquire)) finishExport();
    else showProgress(*job);
}

}  // namespace

Text logExportOutcomeText(LogExportOutcome outcome, long long rows) {
    switch (outcome) {
    case LogExportOutcome::written: return "导出完成，共 " + toText(static_cast<std::int64_t>(rows)) + " 条日志。";
    case LogExportOutcome::empty: return "没有符合条件的日志，未生成文件。";
    case LogExportOutcome::cancelled: return Text();
    case LogExportOutcome::readFailed: return "读取日志失败，未生成文件。";
    case LogExportOutcome::writeFailed: return "写入文件失败，未生成文件。请检查磁盘空间和文件夹是否可写。";
    }
    return Text();
}

void exportLog(const Text& databasePath) {
    if (runningExport()) {
        setProperty(exportUnit(kWindowUnit), Property::Visible, 1);
        loadWindow(logExportWindow(), &mainWindow());  // brings it forward
        return;
    }
    // What the page's controls say now, before the dialog gives time to change them.
    const Text condition = currentLogCondition();
    Text path;
    if (!chooseSaveFile(mainWindow().handle(), saveRequest(), path)) return;
    auto job = std::make_unique<ExportJob>();
    job->request = {databasePath, condition, path};
    job->startedAt = tickCount();
    const bool windowLoaded = loadWindow(logExportWindow(), &mainWindow());
    if (!windowLoaded || !startThread(exportThread, reinterpret_cast<std::uintptr_t>(job.get()), &job->thread)) {
        if (windowLoaded) destroyWindow(logExportWindow());
        messageBox(Text("无法开始导出。"), BoxFlags::Error, "信息：", mainWindow().handle());
        return;
    }
    job->timer = SetTimer(nullptr, 0, kWatchIntervalMs, onWatchTimer);
    runningExport() = std::move(job);
}

void cancelLogExport() {
    if (ExportJob* job = runningExport().get()) {
        job->status.cancel = true;
        showProgress(*job);
    }
}

bool logExportRunning() { return runningExport() != nullptr; }

void endLogExport(int waitMs) {
    std::unique_ptr<ExportJob>& job = runningExport();
    if (!job) return;
    job->status.cancel = true;
    KillTimer(nullptr, job->timer);
    if (waitThread(job->thread, waitMs)) {
        closeThreadHandle(job->thread);
        job.reset();
    } else {
        // Still reading: the thread keeps its job; the process ends around it.
        (void)job.release();
    }
}
