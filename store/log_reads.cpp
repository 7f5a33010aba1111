#include "store/log_reads.h"

#include <string>

#include "store/sqlite_db.h"
#include "store/sqlite_statement.h"

bool MapLogReads(SqliteDB& db) {
    // The pragma answers with the limit it took: a build whose maximum is
    // lower takes that maximum, one without maps takes 0.
    return QueryNumber(db.connection(), "PRAGMA mmap_size=" + std::to_string(kLogReadsMapBytes)) == kLogReadsMapBytes;
}
