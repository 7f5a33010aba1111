#include "store/sqlite_db.h"

#include <sqlite3.h>

#include <cstring>

#include "runtime/codepage.h"
#include "store/file_probe.h"
#include "store/statements.h"

namespace {

bool isMemoryName(const Text& name) { return name.empty() || name == Text(":memory:"); }

// Opens `name` (UTF-8); nullptr on failure, with SQLite's handle closed again.
sqlite3* openConnection(const std::string& name, bool create) {
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(name.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

}  // namespace

SqliteDB::~SqliteDB() { close(); }

bool SqliteDB::open(const Text& fileName, bool createIfMissing) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (db_ && sqlite3_close(db_) == SQLITE_OK) db_ = nullptr;
    if (db_) return false;  // still busy: keep the connection that works
    std::string name;
    if (isMemoryName(fileName)) {
        if (!createIfMissing) return false;
        name = ":memory:";
    } else {
        name = gbkToUtf8(fileName);
        if (name.empty()) return false;
        if (!createIfMissing && !canOpenForReading(fileName)) return false;
    }
    db_ = openConnection(name, createIfMissing);
    return db_ != nullptr;
}

bool SqliteDB::close() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_) return true;
    if (sqlite3_close(db_) == SQLITE_BUSY) return false;
    db_ = nullptr;
    return true;
}

bool SqliteDB::execute(const Text& sql) {
    bool busy = false;
    return execute(sql, busy);
}

bool SqliteDB::execute(const Text& sql, bool& busy) {
    busy = false;
    if (sql.empty()) return false;
    std::string utf8 = gbkToUtf8(sql);
    if (utf8.empty()) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_) return false;
    const int rc = sqlite3_exec(db_, utf8.c_str(), nullptr, nullptr, nullptr);
    busy = (rc & 0xFF) == SQLITE_BUSY;  // extended codes keep the primary one in the low byte
    return rc == SQLITE_OK;
}

bool SqliteDB::beginTransaction(const Text& name) { return execute(BeginTransactionSql(name)); }

bool SqliteDB::commitTransaction(const Text& name) { return execute(CommitTransactionSql(name)); }

std::int64_t SqliteDB::lastInsertRowId() {
    std::lock_guard<std::mutex> lock(mutex_);
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

bool SqliteDB::setBusyTimeout(int ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    return db_ && sqlite3_busy_timeout(db_, ms) == SQLITE_OK;
}

bool SqliteDB::isOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return db_ != nullptr;
}

sqlite3* SqliteDB::connection() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return db_;
}
