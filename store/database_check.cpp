#include "store/database_check.h"

#include <sqlite3.h>

#include <string>

#include "runtime/codepage.h"
#include "store/file_probe.h"
#include "store/sqlite_db.h"

namespace {

constexpr int kNoWait = 0;

// The primary result code of one statement on the connection.
int run(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) & 0xFF;
}

DatabaseState stateOf(int rc) {
    switch (rc) {
    case SQLITE_OK: return DatabaseState::usable;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return DatabaseState::busy;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: return DatabaseState::notDatabase;
    case SQLITE_READONLY: return DatabaseState::readOnly;
    default: return DatabaseState::cannotOpen;
    }
}

// Whether the file's -shm file (the shared memory of WAL mode) is there.
bool shmBeside(sqlite3* db) {
    const char* file = sqlite3_db_filename(db, "main");
    return file && canOpenForReading(utf8ToGbk(std::string(file) + "-shm"));
}

// Reading the schema is the first thing that touches the file's content:
// it fails for garbage, a held exclusive lock, or a WAL file that cannot
// get its shared-memory file. A file that opened cannot be opened on its
// first read only for lack of a file beside it: for a WAL-mode file that
// is the -shm file, which a read-only folder cannot get.
DatabaseState readState(sqlite3* db) {
    const int rc = run(db, "SELECT count(*) FROM sqlite_master");
    if (rc == SQLITE_CANTOPEN && !shmBeside(db)) return DatabaseState::walWithoutShm;
    return stateOf(rc);
}

// A write that is rolled back: the only sure test that the file and its
// folder take writes (a journal or WAL must be made beside the file).
DatabaseState writeState(sqlite3* db) {
    int rc = run(db, "BEGIN IMMEDIATE");
    if (rc == SQLITE_OK) {
        rc = run(db, "CREATE TABLE qerno_write_test(x)");
        run(db, "ROLLBACK");
    }
    if (rc == SQLITE_OK) return DatabaseState::usable;
    const DatabaseState state = stateOf(rc);
    // A journal that cannot be made beside the file is a read-only folder.
    return state == DatabaseState::cannotOpen ? DatabaseState::readOnly : state;
}

}  // namespace

DatabaseState CheckDatabase(SqliteDB& db, int busyTimeoutMs) {
    sqlite3* connection = db.connection();
    if (!connection) return DatabaseState::cannotOpen;
    sqlite3_busy_timeout(connection, busyTimeoutMs);
    DatabaseState state = readState(connection);
    if (state == DatabaseState::usable)
        state = sqlite3_db_readonly(connection, "main") == 1 ? DatabaseState::readOnly : writeState(connection);
    sqlite3_busy_timeout(connection, kNoWait);
    return state;
}
