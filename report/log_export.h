// The log export: every log row matching a condition of the log page (the
// same LogQueryCondition the query uses, without its 1000-row cap), newest
// first, as a CSV file a spreadsheet opens: UTF-8 with a byte-order mark,
// the header 时间,名称,IP,延时,状态, 延时 as a plain integer (ms), 状态 as
// the log page shows it (LogTypeText).
//
// It reads on a connection of its own, inside one read transaction, so the
// row count it reports and the rows it writes are the same snapshot while
// the monitor tasks go on logging; it works in steps of kLogExportStepRows
// rows, between which it publishes its progress and looks at the cancel
// flag. The file is an OutputFile: it appears under its name only when
// complete, and a cancel or a failure leaves nothing.
//
// A condition matching no row writes no file (LogExportOutcome::empty): a
// file with a header alone would look like an export that lost its rows.
//
// Threads: ExportLog blocks and runs on the export's worker thread; the
// LogExportStatus is shared with the thread that watches it (the user
// interface), which may set `cancel` and read the counters at any time.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "runtime/text.h"

inline constexpr int kLogExportStepRows = 4096;

struct LogExportRequest {
    Text databasePath;  // the program's database.db (GBK)
    Text condition;     // LogQueryCondition text; empty: every row
    Text outputPath;    // the file chosen by the user (GBK)
};

enum class LogExportOutcome {
    written,      // the file is complete under its name
    empty,        // no row matched: no file
    cancelled,    // no file
    readFailed,   // the database could not be read: no file
    writeFailed,  // the file could not be created or written (disk full, read-only folder): no file
};

struct LogExportStatus {
    std::atomic<bool> cancel{false};
    std::atomic<long long> rowsTotal{-1};  // known once counted
    std::atomic<long long> rowsWritten{0};
    // Called on the worker after each step; tests use it to act mid-way.
    std::function<void()> afterStep;
};

LogExportOutcome ExportLog(const LogExportRequest& request, LogExportStatus& status);

// The file's first bytes: the byte-order mark and the header line.
std::string LogExportHeader();
// One row as the file holds it; texts are the stored UTF-8.
void AppendLogExportRow(std::string& out, std::string_view date, std::string_view name,
                        std::string_view ip, long long time, int type);
