// The schema of database.db: tables serverlist and record (integer primary
// keys, the row ids), the indexes the log query needs, and WAL journaling so
// that one durable log row per transaction stays cheap.
#pragma once

#include <vector>

#include "runtime/text.h"

class SqliteDB;

// One table or index: its name in the file and the statement that makes it.
// `largeTable`, for an index only: the table it indexes, when building it on
// a file that already holds many rows takes long enough to freeze start-up
// (CreateMissingSchema then leaves it to CreateDeferredSchema).
struct SchemaObject {
    const char* name;
    const char* statement;
    const char* largeTable = nullptr;
};

// Every table and index, tables before their indexes.
std::vector<SchemaObject> SchemaObjects();

// The schema statements, one text.
Text SchemaSql();
// Creates the tables and indexes on an open, empty database.
bool CreateSchema(SqliteDB& db);
// Creates each table and index the open database lacks, by its own
// statement; what exists is left as it is (nothing is written to a complete
// file). The start-up's step after opening the file, so that a
// file from an earlier version gains the tables added since. False when the
// database is not open or a statement failed; the rest are still tried.
// The user-interface thread, before any monitor task starts. An index marked
// with `largeTable` whose table holds more than kDeferIndexRows rows is not
// made here (the result stays true): see CreateDeferredSchema.
bool CreateMissingSchema(SqliteDB& db);
// What CreateMissingSchema does, without deferring any index: for a
// connection of its own in a thread of its own (store/log_upkeep.h), since
// indexing a million log rows takes seconds.
bool CreateDeferredSchema(SqliteDB& db);
// Beyond this many rows an index on a large table is built in the background.
inline constexpr int kDeferIndexRows = 20000;
// Creates the database file with the schema. Refuses (false) when the file
// already exists; never touches an existing file. Any thread, once.
bool CreateDatabaseFile(const Text& path);
