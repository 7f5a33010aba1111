#include "store/settings_table.h"

#include <sqlite3.h>

#include <utility>

#include "runtime/codepage.h"
#include "store/sqlite_db.h"
#include "store/sqlite_statement.h"

namespace {

const char* const kSelect = "SELECT key, value FROM settings";
const char* const kUpsert = "INSERT OR REPLACE INTO settings (key, value) VALUES (?, ?)";
const char* const kDelete = "DELETE FROM settings WHERE key = ?";

std::string columnText(SqliteStatement& stmt, int column) {
    const unsigned char* t = sqlite3_column_text(stmt.get(), column);
    return t ? reinterpret_cast<const char*>(t) : "";
}

}  // namespace

bool ReadSettings(SqliteDB& db, std::map<std::string, Text>& out) {
    SqliteStatement stmt;
    if (!db.isOpen() || !stmt.prepare(db.connection(), kSelect)) return false;
    std::map<std::string, Text> rows;
    int rc;
    while ((rc = stmt.step()) == SQLITE_ROW) rows[columnText(stmt, 0)] = utf8ToGbk(columnText(stmt, 1));
    if (rc != SQLITE_DONE) return false;
    out = std::move(rows);
    return true;
}

bool WriteSetting(SqliteDB& db, const std::string& key, const Text& value) {
    SqliteStatement stmt;
    if (!db.isOpen() || !stmt.prepare(db.connection(), kUpsert)) return false;
    const std::string utf8 = gbkToUtf8(value);
    sqlite3_bind_text(stmt.get(), 1, key.c_str(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt.get(), 2, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    return stmt.step() == SQLITE_DONE;
}

bool DeleteSetting(SqliteDB& db, const std::string& key) {
    SqliteStatement stmt;
    if (!db.isOpen() || !stmt.prepare(db.connection(), kDelete)) return false;
    sqlite3_bind_text(stmt.get(), 1, key.c_str(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    return stmt.step() == SQLITE_DONE;
}
