// The schema of database.db: tables serverlist and record (integer primary
// keys, the row ids), the indexes the log query needs, and WAL journaling so
// that one durable log row per transaction stays cheap.
#pragma once

#include <vector>

#include "runtime/text.h"

class SqliteDB;

// One table or index: its name in the file and the statement that makes it.
struct SchemaObject {
    const char* name;
    const char* statement;
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
// The user-interface thread, before any monitor task starts.
bool CreateMissingSchema(SqliteDB& db);
// Creates the database file with the schema. Refuses (false) when the file
// already exists; never touches an existing file. Any thread, once.
bool CreateDatabaseFile(const Text& path);
