// SqliteStatement: owns one prepared statement (finalized on destruction).
// Used inside the layer only, by one thread at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

class SqliteStatement {
public:
    SqliteStatement() = default;
    ~SqliteStatement() { finalize(); }
    SqliteStatement(SqliteStatement&& other) noexcept : stmt_(other.take()) {}
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Prepares the first statement of the UTF-8 text; false on any error
    // (and for a text holding no statement at all).
    bool prepare(sqlite3* db, const std::string& utf8);
    int step();   // the SQLite result code; SQLITE_MISUSE when empty
    void reset();
    void finalize();
    sqlite3_stmt* get() const { return stmt_; }
    bool valid() const { return stmt_ != nullptr; }
    sqlite3_stmt* take() {
        sqlite3_stmt* s = stmt_;
        stmt_ = nullptr;
        return s;
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// The first column of the first row the UTF-8 statement gives, as a number
// (a count, a pragma's value); nothing when it cannot be prepared or gives
// no row.
std::optional<std::int64_t> QueryNumber(sqlite3* db, const std::string& utf8);
