#include "store/sqlite_statement.h"

#include <sqlite3.h>

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
    if (this != &other) {
        finalize();
        stmt_ = other.take();
    }
    return *this;
}

bool SqliteStatement::prepare(sqlite3* db, const std::string& utf8) {
    finalize();
    if (!db) return false;
    sqlite3_stmt* stmt = nullptr;
    // The legacy interface: no automatic re-preparation on a schema change.
    if (sqlite3_prepare(db, utf8.c_str(), static_cast<int>(utf8.size()) + 1, &stmt, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(stmt);
        return false;
    }
    stmt_ = stmt;
    return stmt_ != nullptr;
}

int SqliteStatement::step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_MISUSE; }

void SqliteStatement::reset() {
    if (stmt_) sqlite3_reset(stmt_);
}

void SqliteStatement::finalize() {
    if (stmt_) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
}

std::optional<std::int64_t> QueryNumber(sqlite3* db, const std::string& utf8) {
    SqliteStatement stmt;
    if (!stmt.prepare(db, utf8) || stmt.step() != SQLITE_ROW) return std::nullopt;
    return sqlite3_column_int64(stmt.get(), 0);
}
