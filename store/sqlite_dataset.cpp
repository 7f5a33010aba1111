#include "store/sqlite_dataset.h"

#include <sqlite3.h>

#include "runtime/codepage.h"
#include "store/sqlite_db.h"

bool SqliteDataset::open(const Text& sql, SqliteDB& db) {
    sqlite3* connection = db.connection();
    if (sql.empty() || !connection) return false;
    SqliteStatement prepared;
    if (!prepared.prepare(connection, gbkToUtf8(sql))) return false;
    stmt_ = std::move(prepared);
    rows_.reset();
    onRow_ = false;
    finished_ = false;
    db_ = connection;
    return true;
}

bool SqliteDataset::requery() {
    if (!db_ || !stmt_.valid()) return false;
    stmt_.reset();
    int rc = stmt_.step();
    const bool ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
    int count = 0;
    while (rc == SQLITE_ROW) {
        ++count;
        rc = stmt_.step();
    }
    stmt_.reset();
    onRow_ = false;
    finished_ = false;
    rows_ = RowCount{count, true, count == 0};
    return ok;
}

int SqliteDataset::recordCount() const { return rows_ ? rows_->count : 0; }

bool SqliteDataset::isBeforeFirst() const { return rows_ ? rows_->beforeFirst : true; }

bool SqliteDataset::moveNext() {
    // SQLite would restart a finished statement on the next step; a
    // forward-only cursor stays after its last row until requery.
    if (!stmt_.valid() || finished_) return false;
    const int rc = stmt_.step();
    finished_ = rc != SQLITE_ROW;
    onRow_ = rc == SQLITE_ROW;
    if (rows_) {
        rows_->beforeFirst = false;
        rows_->afterLast = rc == SQLITE_DONE;
    }
    return onRow_;
}

bool SqliteDataset::readField(const FieldSelector& field, const FieldVariable& variable) {
    if (!stmt_.valid()) return false;
    sqlite3_stmt* stmt = stmt_.get();
    const int count = sqlite3_column_count(stmt);
    int column;
    if (field.isName()) {
        std::vector<std::string> folded;
        for (int i = 0; i < count; ++i) {
            const char* name = sqlite3_column_name(stmt, i);
            folded.push_back(foldFieldName(name ? name : ""));
        }
        column = resolveField(field, gbkToUtf8(field.name()), folded);
        if (column < 0) return false;
    } else {
        if (field.number() < 1) return false;
        column = field.number() <= count ? static_cast<int>(field.number() - 1) : -1;
    }
    if (!onRow_ || column < 0) {
        storeZero(variable);
        return false;
    }
    storeColumn(stmt, column, variable);
    return true;
}

bool SqliteDataset::close() {
    stmt_.finalize();
    rows_.reset();
    onRow_ = false;
    finished_ = false;
    db_ = nullptr;
    return true;
}
