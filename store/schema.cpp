#include "store/schema.h"

#include "store/file_probe.h"
#include "store/sqlite_db.h"

namespace {

// Statements run one by one: journal_mode cannot change inside a transaction.
const char* const kSchema[] = {
    // WAL keeps each log row's commit durable (synchronous FULL) at a
    // fraction of the rollback journal's syncs; the mode stays with the file.
    "PRAGMA journal_mode=WAL;",
    "CREATE TABLE serverlist (id INTEGER PRIMARY KEY, servername TEXT, serverip TEXT,"
    " time1 INTEGER, color1 INTEGER, time2 INTEGER, color2 INTEGER,"
    " time3 INTEGER, color3 INTEGER, time4 INTEGER, color4 INTEGER,"
    " auto INTEGER, record INTEGER, handle INTEGER);",
    "CREATE TABLE record (id INTEGER PRIMARY KEY, name TEXT, ip TEXT, list_id INTEGER,"
    " time INTEGER, color INTEGER, date TEXT, type INTEGER);",
    // The log query filters by type and lists by id descending: this index
    // (type, row id) serves both, sparse or dense. An index on date would
    // turn a wide time range into a sort of every row; a scan by id stops
    // after 1000 matches instead.
    "CREATE INDEX record_type ON record (type);",
};

}  // namespace

Text SchemaSql() {
    Text all;
    for (const char* statement : kSchema) all += Text(statement) + "\n";
    return all;
}

bool CreateSchema(SqliteDB& db) {
    for (const char* statement : kSchema)
        if (!db.execute(statement)) return false;
    return true;
}

bool CreateDatabaseFile(const Text& path) {
    if (path.empty() || canOpenForReading(path)) return false;
    SqliteDB db;
    if (!db.open(path, true)) return false;
    const bool created = CreateSchema(db);
    db.close();
    return created;
}
