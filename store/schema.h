// The schema of database.db: tables serverlist and record (integer primary
// keys, the row ids), the indexes the log query needs, and WAL journaling so
// that one durable log row per transaction stays cheap.
#pragma once

#include "runtime/text.h"

class SqliteDB;

// The schema statements, one text.
Text SchemaSql();
// Creates the tables and indexes on an open, empty database.
bool CreateSchema(SqliteDB& db);
// Creates the database file with the schema. Refuses (false) when the file
// already exists; never touches an existing file. Any thread, once.
bool CreateDatabaseFile(const Text& path);
