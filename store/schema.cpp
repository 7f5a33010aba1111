#include "store/schema.h"

#include <sqlite3.h>

#include <iterator>
#include <set>
#include <string>

#include "store/file_probe.h"
#include "store/sqlite_db.h"
#include "store/sqlite_statement.h"

namespace {

// WAL keeps each log row's commit durable (synchronous FULL) at a fraction
// of the rollback journal's syncs; the mode stays with the file, so it is
// set once, when the file is made. It cannot change inside a transaction:
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
    // (type, row id) serves both, sparse or dense. An index on date would
    // turn a wide time range into a sort of every row; a scan by id stops
    // after 1000 matches instead.
    {"record_type", "CREATE INDEX record_type ON record (type);"},
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

bool CreateMissingSchema(SqliteDB& db) {
    std::set<std::string> names;
    if (!db.isOpen() || !existingNames(db, names)) return false;
    bool all = true;
    for (const SchemaObject& object : kObjects)
        if (!names.count(object.name)) all = db.execute(object.statement) && all;
    return all;
}

bool CreateDatabaseFile(const Text& path) {
    if (path.empty() || canOpenForReading(path)) return false;
    SqliteDB db;
    if (!db.open(path, true)) return false;
    const bool created = CreateSchema(db);
    db.close();
    return created;
}
