// What state the opened database.db is in, found before the host list is
// read, so that trouble is said once at start-up instead of showing as an
// empty host list or a log that never fills.
//
// Threads: the user-interface thread, at start-up, before any monitor task
// uses the connection.
#pragma once

class SqliteDB;

enum class DatabaseState {
    usable,        // reads and writes work
    readOnly,      // reads work, writes fail (a read-only file or folder)
    busy,          // another program holds a lock past the busy timeout
    notDatabase,   // the file is not an SQLite database (garbage, encrypted)
    cannotOpen,    // not even readable
    walWithoutShm, // a WAL-mode file whose -shm file is missing and cannot be
                   // made (a read-only folder): SQLite cannot read it at all
};

// Waits up to busyTimeoutMs for another program's lock on each step, then
// gives the connection no timeout again: later statements of the window
// must not wait seconds (the window's statements hold the connection meanwhile).
// Nothing in the file changes: the write test is rolled back.
DatabaseState CheckDatabase(SqliteDB& db, int busyTimeoutMs);
