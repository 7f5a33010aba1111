#include "store/outage_table.h"

#include <sqlite3.h>

#include "runtime/codepage.h"
#include "store/sqlite_db.h"
#include "store/sqlite_statement.h"

namespace {

const char* const kInsert =
    "INSERT INTO outage (list_id, name, ip, kind, start, end, worst) VALUES (?, ?, ?, ?, ?, '', 0)";
const char* const kClose = "UPDATE outage SET end = ?, worst = ? WHERE id = ?";
const char* const kCloseOpen = "UPDATE outage SET end = ? WHERE end = '' OR end IS NULL";

void bindText(SqliteStatement& stmt, int index, const Text& gbk) {
    const std::string utf8 = gbkToUtf8(gbk);
    sqlite3_bind_text(stmt.get(), index, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

}  // namespace

std::int64_t OpenOutage(SqliteDB& db, const OutageStart& e) {
    SqliteStatement stmt;
    if (!db.isOpen() || !stmt.prepare(db.connection(), kInsert)) return 0;
    sqlite3_bind_int(stmt.get(), 1, e.hostId);
    bindText(stmt, 2, e.name);
    bindText(stmt, 3, e.address);
    sqlite3_bind_int(stmt.get(), 4, e.kind);
    bindText(stmt, 5, e.start);
    if (stmt.step() != SQLITE_DONE) return 0;
    return sqlite3_last_insert_rowid(db.connection());
}

bool CloseOutage(SqliteDB& db, std::int64_t rowId, const Text& end, int worst) {
    SqliteStatement stmt;
    if (rowId <= 0 || !db.isOpen() || !stmt.prepare(db.connection(), kClose)) return false;
    bindText(stmt, 1, end);
    sqlite3_bind_int(stmt.get(), 2, worst);
    sqlite3_bind_int64(stmt.get(), 3, rowId);
    return stmt.step() == SQLITE_DONE && sqlite3_changes(db.connection()) == 1;
}

int CloseOpenOutages(SqliteDB& db, const Text& end) {
    SqliteStatement stmt;
    if (!db.isOpen() || !stmt.prepare(db.connection(), kCloseOpen)) return 0;
    bindText(stmt, 1, end);
    if (stmt.step() != SQLITE_DONE) return 0;
    return sqlite3_changes(db.connection());
}
