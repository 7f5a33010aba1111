#include "store/log_reads.h"

#include <sqlite3.h>

#include <string>

#include "store/sqlite_db.h"
#include "store/sqlite_statement.h"

bool MapLogReads(SqliteDB& db) {
    // The pragma answers with the limit it took: a build whose maximum is
    // lower takes that maximum, one without maps takes 0.
    const std::string sql = "PRAGMA mmap_size=" + std::to_string(kLogReadsMapBytes);
    SqliteStatement stmt;
    if (!stmt.prepare(db.connection(), sql) || stmt.step() != SQLITE_ROW) return false;
    return sqlite3_column_int64(stmt.get(), 0) == kLogReadsMapBytes;
}
