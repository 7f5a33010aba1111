#include "store/schema.h"

#include <sqlite3.h>

#include <iterator>
#include <set>
#include <string>

#include "store/file_probe.h"
#include "store/sqlite_db.h"
#include "store/sqlite_statement.h"

namespace {

// WAL makes each log row's commit an append to the WAL, without the
// rollback journal's syncs (the SQLite build's WAL default is synchronous
// NORMAL: durable when the program is killed, never corrupt after a power
// cut); the mode stays with the file, so it is set once, when it is made. It cannot change inside a transaction:
// every statement here runs on its own.
const char* const kJournalMode = "PRAGMA journal_mode=WAL;";

// Every table and index by name, each made by its own statement; tables
// before the indexes on them. A new table or index is one more line.
const SchemaObject kObjects[] = {
    {"serverlist",
     "CREATE TABLE serverlist (id INTEGER PRIMARY KEY, servername TEXT, serverip TEXT,"
     " time1 INTEGER, color1 INTEGER, time2 INTEGER, color2 INTEGER,"
     " time3 INTEGER, color3 INTEGER, time4 INTEGER, color4 INTEGER,"
     " auto INTEGER, record INTEGER, handle INTEGER);"},
    {"record",
     "CREATE TABLE record (id INTEGER PRIMARY KEY, name TEXT, ip TEXT, list_id INTEGER,"
     " time INTEGER, color INTEGER, date TEXT, type INTEGER);"},
    // The log query filters by type and lists by id descending: this index
    // (type, row id) serves both, sparse or dense.
    {"record_type", "CREATE INDEX record_type ON record (type);", "record"},
    // An old or narrow time range would otherwise read every row. A wide
    // range is still served by a scan by id that stops after 1000 matches:
    // the planner tells the two apart by the STAT4 samples of this index
    // (store/log_upkeep.h keeps them fresh).
    {"record_date", "CREATE INDEX record_date ON record (date);", "record"},
    // The alert settings and muted hosts, as key and text value.
    {"settings", "CREATE TABLE settings (key TEXT PRIMARY KEY, value TEXT);"},
    // One row per down (kind 1) or high-latency (kind 2) episode; `end`
    // is empty while it lasts.
    {"outage",
     "CREATE TABLE outage (id INTEGER PRIMARY KEY, list_id INTEGER, name TEXT, ip TEXT,"
     " kind INTEGER, start TEXT, end TEXT, worst INTEGER);"},
    // Per-host latency history: one row per closed minute, 10 minutes and
    // hour (period in seconds, start in UTC), and the state of each open
    // period kept over a restart.
    {"history",
     "CREATE TABLE history (list_id INTEGER, period INTEGER, start TEXT, sent INTEGER,"
     " lost INTEGER, min INTEGER, avg INTEGER, max INTEGER, p50 INTEGER, p90 INTEGER,"
     " jitter INTEGER, PRIMARY KEY (list_id, period, start)) WITHOUT ROWID;"},
    {"history_open",
     "CREATE TABLE history_open (list_id INTEGER, period INTEGER, start TEXT, state BLOB,"
     " PRIMARY KEY (list_id, period)) WITHOUT ROWID;"},
};

// The names of the file's tables and indexes; false when they cannot be read.
bool existingNames(SqliteDB& db, std::set<std::string>& names) {
    SqliteStatement stmt;
    if (!stmt.prepare(db.connection(), "SELECT name FROM sqlite_master")) return false;
    int rc;
    while ((rc = stmt.step()) == SQLITE_ROW) {
        const unsigned char* name = sqlite3_column_text(stmt.get(), 0);
        if (name) names.insert(reinterpret_cast<const char*>(name));
    }
    return rc == SQLITE_DONE;
}

// Whether `table` holds more than kDeferIndexRows rows; reads at most one
// row more than that, so the check costs little on any file.
bool holdsManyRows(SqliteDB& db, const char* table) {
    const std::string sql = std::string("SELECT count(*) FROM (SELECT 1 FROM ") + table +
                            " LIMIT " + std::to_string(kDeferIndexRows + 1) + ")";
    return QueryNumber(db.connection(), sql).value_or(0) > kDeferIndexRows;
}

bool createMissing(SqliteDB& db, bool deferLargeIndexes) {
    std::set<std::string> names;
    if (!db.isOpen() || !existingNames(db, names)) return false;
    bool all = true;
    for (const SchemaObject& object : kObjects) {
        if (names.count(object.name)) continue;
        if (deferLargeIndexes && object.largeTable && holdsManyRows(db, object.largeTable)) continue;
        all = db.execute(object.statement) && all;
    }
    return all;
}

}  // namespace

std::vector<SchemaObject> SchemaObjects() { return {std::begin(kObjects), std::end(kObjects)}; }

Text SchemaSql() {
    Text all = Text(kJournalMode) + "\n";
    for (const SchemaObject& object : kObjects) all += Text(object.statement) + "\n";
    return all;
}

bool CreateSchema(SqliteDB& db) {
    if (!db.execute(kJournalMode)) return false;
    for (const SchemaObject& object : kObjects)
        if (!db.execute(object.statement)) return false;
    return true;
}

bool CreateMissingSchema(SqliteDB& db) { return createMissing(db, true); }

bool CreateDeferredSchema(SqliteDB& db) { return createMissing(db, false); }

bool CreateDatabaseFile(const Text& path) {
    if (path.empty() || canOpenForReading(path)) return false;
    SqliteDB db;
    if (!db.open(path, true)) return false;
    const bool created = CreateSchema(db);
    db.close();
    return created;
}
