// "导出…" of the log menu: the log page's current rows to a CSV file the
// user chooses (report/log_export.h writes it).
//
// Threads: the functions below run on the user-interface thread. The export
// itself runs on a thread of its own with a database connection of its own
// (ExportLog); that thread touches no window. The user-interface thread
// watches it with a timer: it shows the progress window "导出日志" once the
// export has run kShowProgressAfterMs, moves the bar, and when the thread
// has ended closes the window and tells the outcome. The job belongs to the
// user-interface thread and is freed only after its thread has ended.
#pragma once

#include "report/log_export.h"
#include "runtime/text.h"

// An export shorter than this shows no progress window, only its outcome.
inline constexpr int kShowProgressAfterMs = 500;

// Reads the log page's conditions, asks for the file (default name
// "日志_yyyyMMdd_HHmmss.csv" in the program's folder) and starts the export.
// While one runs, shows its window instead of starting another.
void exportLog(const Text& databasePath);
// "取消", Esc or the close box of the progress window: asks the export to
// stop; its window goes when its thread has removed the unfinished file.
void cancelLogExport();
bool logExportRunning();
// The end of the program: cancels a running export and waits up to waitMs
// for its thread, so that no unfinished file is left beside the chosen name.
void endLogExport(int waitMs);

// The message for an export's outcome; empty when there is none to show
// (the user cancelled). GBK.
Text logExportOutcomeText(LogExportOutcome outcome, long long rows);
