#include "store/log_upkeep.h"

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/thread.h"
#include "store/schema.h"
#include "store/sqlite_db.h"
#include "store/sqlite_statement.h"

namespace {

// The program's log INSERTs hold the write lock for a moment each; the
// upkeep waits for them rather than giving up.
constexpr int kUpkeepBusyTimeoutMs = 10000;

// -1 when the statement fails or returns no row.
long long queryNumber(SqliteDB& db, const char* sql) { return QueryNumber(db.connection(), sql).value_or(-1); }

// The row count ANALYZE saw (the first number of the table's stat1 entry);
// -1 when the table was never analysed.
long long analysedRows(SqliteDB& db) {
    if (queryNumber(db, "SELECT count(*) FROM sqlite_master WHERE name = 'sqlite_stat1'") != 1)
        return -1;
    return queryNumber(db, "SELECT CAST(stat AS INTEGER) FROM sqlite_stat1 WHERE tbl = 'record' "
                           "ORDER BY idx IS NULL LIMIT 1");
}

// ANALYZE loads the new statistics into its own connection only; another
// connection (the program's) reloads them with its schema, when it sees the
// schema version change. So the refresh moves the version on, in the same
// transaction, as any schema change does.
bool analyseLog(SqliteDB& db) {
    if (!db.execute("BEGIN IMMEDIATE;")) return false;
    const long long version = queryNumber(db, "PRAGMA schema_version");
    const bool ok = version >= 0 && db.execute("ANALYZE record;") &&
                    db.execute(Text("PRAGMA schema_version = ") + std::to_string(version + 1).c_str() + ";");
    return db.execute(ok ? "COMMIT;" : "ROLLBACK;") && ok;
}

int upkeepThread(std::uintptr_t argument) {
    std::unique_ptr<Text> path(reinterpret_cast<Text*>(argument));
    return KeepLogIndexesCurrent(*path) ? 0 : 1;
}

}  // namespace

bool LogStatisticsStale(SqliteDB& db) {
    const long long rows = queryNumber(db, "SELECT count(*) FROM record");
    const long long analysed = analysedRows(db);
    if (rows < 0) return false;  // no log table: nothing to analyse
    const long long larger = rows > analysed ? rows : analysed;
    if (larger < kLogRowsWorthStatistics) return false;
    if (analysed <= 0) return true;
    const double ratio = static_cast<double>(rows) / static_cast<double>(analysed);
    return ratio > kLogStatisticsDrift || ratio < 1.0 / kLogStatisticsDrift;
}

bool KeepLogIndexesCurrent(const Text& path) {
    SqliteDB db;
    if (!db.open(path)) return false;
    sqlite3_busy_timeout(db.connection(), kUpkeepBusyTimeoutMs);
    bool ok = CreateDeferredSchema(db);
    if (LogStatisticsStale(db)) ok = analyseLog(db) && ok;
    return db.close() && ok;
}

bool StartLogUpkeep(const Text& path) {
    auto* owned = new Text(path);
    if (startThread(upkeepThread, reinterpret_cast<std::uintptr_t>(owned))) return true;
    delete owned;
    return false;
}

bool OptimizeBeforeClose(SqliteDB& db) { return db.execute("PRAGMA optimize;"); }
