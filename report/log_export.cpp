#include "report/log_export.h"

#include <sqlite3.h>

#include <string_view>

#include "report/csv.h"
#include "runtime/codepage.h"
#include "runtime/output_file.h"
#include "store/log_type_text.h"
#include "store/sqlite_db.h"
#include "store/sqlite_statement.h"
#include "store/statements.h"

namespace {

// A monitor task's log INSERT holds the write lock for a moment; a read
// needs a lock only while the WAL is being recovered, which is as short.
constexpr int kExportBusyTimeoutMs = 10000;

// A condition holding at least this share (1/n) of the log is read by
// walking the table newest first. Through the date index the rows come in
// date order and must all be sorted by id before the first is written: for a
// million rows that took 7.3 s under Wine, the walk 2.8 s. Below the share the
// index's few rows sort quickly, and the walk would read every row. A type
// alone needs no sort (its index keeps each type's rows in id order), but the
// walk costs it little: a third of a million rows, 1.7 s against 1.5 s.
constexpr long long kWalkTableShare = 8;

// The result columns of LogExportSql, in order.
enum Column : int { kDate, kName, kIp, kTime, kType };

// The log page's texts in the file's UTF-8, converted once, not per row.
std::string_view typeText(int type) {
    static const std::string highLatency = gbkToUtf8(LogTypeText(kLogTypeHighLatency));
    static const std::string timeout = gbkToUtf8(LogTypeText(kLogTypeTimeout));
    return type == kLogTypeHighLatency ? highLatency : timeout;
}

std::string_view columnText(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)))
                : std::string_view();
}

// A read transaction held for the whole export: count and rows agree.
class ReadTransaction {
public:
    explicit ReadTransaction(SqliteDB& db) : db_(db), open_(db.execute("BEGIN;")) {}
    ~ReadTransaction() {
        if (open_) db_.execute("COMMIT;");
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;
    bool open() const { return open_; }

private:
    SqliteDB& db_;
    bool open_;
};

long long countRows(SqliteDB& db, const Text& condition) {
    return QueryNumber(db.connection(), gbkToUtf8(LogExportCountSql(condition))).value_or(-1);
}

bool holdsMuchOfTheLog(SqliteDB& db, long long rows) {
    return rows * kWalkTableShare >= QueryNumber(db.connection(), gbkToUtf8(LogIdSpanSql())).value_or(0);
}

void appendRow(std::string& out, sqlite3_stmt* stmt) {
    AppendLogExportRow(out, columnText(stmt, kDate), columnText(stmt, kName), columnText(stmt, kIp),
                       sqlite3_column_int64(stmt, kTime), sqlite3_column_int(stmt, kType));
}

// Writes the rows of `stmt` to `file` in steps; `status` follows them.
LogExportOutcome writeRows(SqliteStatement& stmt, OutputFile& file, LogExportStatus& status) {
    std::string lines;
    for (;;) {
        lines.clear();
        int rows = 0, rc = SQLITE_ROW;
        while (rows < kLogExportStepRows && (rc = stmt.step()) == SQLITE_ROW) {
            appendRow(lines, stmt.get());
            ++rows;
        }
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return LogExportOutcome::readFailed;
        if (!file.write(lines)) return LogExportOutcome::writeFailed;
        status.rowsWritten += rows;
        if (status.afterStep) status.afterStep();
        if (rc == SQLITE_DONE) return LogExportOutcome::written;
        if (status.cancel) return LogExportOutcome::cancelled;
    }
}

}  // namespace

std::string LogExportHeader() {
    std::string header(kUtf8Bom);
    header += gbkToUtf8("时间,名称,IP,延时,状态");
    header += "\r\n";
    return header;
}

void AppendLogExportRow(std::string& out, std::string_view date, std::string_view name,
                        std::string_view ip, long long time, int type) {
    AppendCsvField(out, date);
    out += ',';
    AppendCsvField(out, name);
    out += ',';
    AppendCsvField(out, ip);
    out += ',';
    out += std::to_string(time);
    out += ',';
    out += typeText(type);
    out += "\r\n";
}

LogExportOutcome ExportLog(const LogExportRequest& request, LogExportStatus& status) {
    SqliteDB db;
    if (!db.open(request.databasePath) || !db.setBusyTimeout(kExportBusyTimeoutMs))
        return LogExportOutcome::readFailed;
    const ReadTransaction snapshot(db);
    const long long total = snapshot.open() ? countRows(db, request.condition) : -1;
    if (total < 0) return LogExportOutcome::readFailed;
    status.rowsTotal = total;
    if (total == 0) return LogExportOutcome::empty;
    if (status.cancel) return LogExportOutcome::cancelled;

    SqliteStatement rows;
    const bool walkTable = holdsMuchOfTheLog(db, total);
    if (!rows.prepare(db.connection(), gbkToUtf8(LogExportSql(request.condition, walkTable))))
        return LogExportOutcome::readFailed;
    OutputFile file;
    if (!file.open(request.outputPath) || !file.write(LogExportHeader())) return LogExportOutcome::writeFailed;
    const LogExportOutcome outcome = writeRows(rows, file, status);
    if (outcome != LogExportOutcome::written) return outcome;  // the file goes with `file`
    return file.commit() ? LogExportOutcome::written : LogExportOutcome::writeFailed;
}
