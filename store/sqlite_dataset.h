// SqliteDataset: a forward-only cursor over the rows of one SQL query that
// the caller writes. Usual order: open, requery, recordCount, moveNext, then
// per row read... and moveNext, close.
//
// Threads: one object is used by one thread from creation to destruction
// (the user-interface thread in this program). The SqliteDB it was opened
// with must stay open while the dataset is; an open dataset makes
// SqliteDB::close report busy.
#pragma once

#include <optional>

#include "runtime/text.h"
#include "store/field.h"
#include "store/sqlite_statement.h"

class SqliteDB;
struct sqlite3;

class SqliteDataset {
public:
    SqliteDataset() = default;
    ~SqliteDataset() { close(); }
    SqliteDataset(const SqliteDataset&) = delete;
    SqliteDataset& operator=(const SqliteDataset&) = delete;

    // Prepares the first statement of `sql`; replaces any previous one.
    bool open(const Text& sql, SqliteDB& db);
    // Counts the rows by stepping through them, then rewinds.
    bool requery();
    int recordCount() const;   // 0 before any requery
    bool isBeforeFirst() const;  // true until a requery and a first moveNext
    bool moveNext();           // true when a row became current
    // Reads one column of the current row. Without a current row the
    // variable receives its type's zero value and the result is false; an
    // unknown name gives false with the variable untouched.
    template <typename T>
    bool read(const FieldSelector& field, T& variable) {
        return readField(field, FieldVariable(&variable));
    }
    bool close();

private:
    bool readField(const FieldSelector& field, const FieldVariable& variable);

    struct RowCount {
        int count = 0;
        bool beforeFirst = true;
        bool afterLast = false;
    };
    sqlite3* db_ = nullptr;
    SqliteStatement stmt_;
    std::optional<RowCount> rows_;
    // Whether this statement's last step gave a row. Kept here rather than
    // read back from the connection, whose last result code other threads'
    // statements overwrite.
    bool onRow_ = false;
    bool finished_ = false;  // the last step ended the result (or failed)
};
