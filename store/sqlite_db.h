// SqliteDB: the program's one database connection.
//
// Threads: the object is shared by the user-interface thread and every
// monitor task. `execute`, `close`, `open`, `beginTransaction`,
// `commitTransaction` and `lastInsertRowId` may be called from any thread:
// they serialise on the object's own mutex, so a statement issued while
// another thread closes the connection either runs before the close or
// fails afterwards; it never touches a closed or half-closed handle.
// `connection()` hands the raw handle to SqliteTable / SqliteDataset, which
// the user-interface thread alone uses, the same thread that closes the
// connection at the end of the program.
//
// Texts are GBK (the program's code page) on this side and UTF-8 in SQLite;
// the conversion happens here. Nothing throws: every failure is false or 0.
#pragma once

#include <cstdint>
#include <mutex>

#include "runtime/text.h"

struct sqlite3;

class SqliteDB {
public:
    SqliteDB() = default;
    ~SqliteDB();  // closes what is still open
    SqliteDB(const SqliteDB&) = delete;
    SqliteDB& operator=(const SqliteDB&) = delete;

    // Closes any open connection first. An empty name or ":memory:" opens an
    // in-memory database, and only with createIfMissing. A file name without
    // createIfMissing must name an existing, readable file; no file is made.
    bool open(const Text& fileName = Text(), bool createIfMissing = false);
    // False only when SQLite reports the database busy (an unfinished
    // statement of a SqliteDataset); true when nothing was open.
    bool close();
    // False for an empty text, no connection or any SQLite error.
    bool execute(const Text& sql);
    // The same; `busy` tells whether it failed only because another
    // connection held the file's lock (worth another try).
    bool execute(const Text& sql, bool& busy);
    bool beginTransaction(const Text& name = Text());   // "BEGIN TRANSACTION %s"
    bool commitTransaction(const Text& name = Text());  // "COMMIT TRANSACTION %s"
    std::int64_t lastInsertRowId();                      // 0 when not open
    // How long a statement waits for another connection's lock before it
    // fails busy (0: not at all). False when not open.
    bool setBusyTimeout(int ms);

    bool isOpen() const;
    // The raw handle or nullptr; not owned by the caller. User-interface
    // thread only (see above).
    sqlite3* connection() const;

private:
    mutable std::mutex mutex_;
    sqlite3* db_ = nullptr;
};
