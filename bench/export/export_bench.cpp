// The log export's speed on a real file, one line per figure:
//   every row of a 1,000,000-row log (no condition) to a CSV file;
//   the same rows through a time-range condition (walked: it holds them all);
//   the timeouts among them, a third (walked as well, where the type index
//   alone would give them in id order);
//   the longest step, which bounds how late a cancel is seen.
// Usage: qerno-export-bench [DIR] [LOG_ROWS]   (files are made in DIR,
// default the system's temporary directory, and removed afterwards).
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "report/log_export.h"
#include "runtime/datetime.h"
#include "store/date_text.h"
#include "store/schema.h"
#include "store/sqlite_db.h"
#include "store/statements.h"

namespace {

using Clock = std::chrono::steady_clock;

// A million rows leave within this (the goal).
constexpr double kExportTargetSeconds = 5;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct BenchFiles {
    explicit BenchFiles(const std::string& dir) : db(dir + "/bench-export.db"), csv(dir + "/bench-export.csv") {
        remove();
    }
    ~BenchFiles() { remove(); }
    void remove() const {
        for (const char* extra : {"", "-wal", "-shm", "-journal"}) std::remove((db + extra).c_str());
        std::remove(csv.c_str());
        std::remove((csv + ".part").c_str());
    }
    std::string db, csv;
};

// One row per second from 2016-01-01; names as users give them: Chinese,
// and every 50th with a comma and quotes, so quoting is paid for too.
bool fillLog(SqliteDB& db, int rows) {
    sqlite3* c = db.connection();
    sqlite3_stmt* stmt = nullptr;
    if (!db.beginTransaction() ||
        sqlite3_prepare_v2(c, "insert into record (name, ip, list_id, time, color, date, type) "
                              "values (?1, '10.0.0.5', ?2, ?3, 255, ?4, ?5)",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    const DateTime base = dateTimeFromCivil(CivilTime{2016, 1, 1, 0, 0, 0});
    for (int i = 0; i < rows; ++i) {
        const Text date = FormatDateTime(DateTime{base.value + i / 86400.0});
        const char* name = i % 50 == 0 ? "a,\"b\"" : u8"办公网关";
        sqlite3_bind_text(stmt, 1, name, -1, SQLITE_STATIC);
        sqlite3_bind_int(stmt, 2, i % 100);
        sqlite3_bind_int(stmt, 3, 100 + i % 900);
        sqlite3_bind_text(stmt, 4, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(stmt, 5, i % 3 == 0 ? 4 : 3);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return db.commitTransaction();
}

void exportFigure(const BenchFiles& files, const char* what, const Text& condition, long long rows) {
    LogExportStatus status;
    double longestStep = 0;
    auto stepStart = Clock::now();
    status.afterStep = [&] {
        longestStep = std::max(longestStep, secondsSince(stepStart));
        stepStart = Clock::now();
    };
    const auto start = Clock::now();
    const LogExportOutcome outcome = ExportLog({Text(files.db), condition, Text(files.csv)}, status);
    const double seconds = secondsSince(start);
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(files.csv, ec);
    const bool complete = outcome == LogExportOutcome::written && status.rowsWritten == rows;
    std::printf("log export of %lld rows, %s: %.2f s (%.1f MB), target %.0f s: %s\n", rows, what, seconds,
                ec ? 0.0 : bytes / 1e6, kExportTargetSeconds,
                complete && seconds <= kExportTargetSeconds ? "ok" : complete ? "short" : "failed");
    std::printf("log export, longest step of %d rows (how late a cancel is seen): %.0f ms\n",
                kLogExportStepRows, longestStep * 1000);
    std::remove(files.csv.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::error_code ec;
    const std::string dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path(ec).string();
    const int rows = argc > 2 ? std::atoi(argv[2]) : 1000000;
    BenchFiles files(dir);
    SqliteDB db;
    if (!CreateDatabaseFile(Text(files.db)) || !db.open(Text(files.db)) || !CreateDeferredSchema(db) ||
        !fillLog(db, rows)) {
        std::fprintf(stderr, "could not make %s\n", files.db.c_str());
        return 1;
    }
    db.close();
    exportFigure(files, "every row", Text(), rows);
    const DateTime base = dateTimeFromCivil(CivilTime{2016, 1, 1, 0, 0, 0});
    exportFigure(files, "a time range holding them all",
                 LogQueryCondition(true, FormatDateTime(base), FormatDateTime(DateTime{base.value + rows / 86400.0}), 0),
                 rows);
    exportFigure(files, "its timeouts, a third of them", LogQueryCondition(false, Text(), Text(), 4),
                 (rows + 2) / 3);
    return 0;
}
