// A fresh database file name per test, removed (with its WAL and journal
// companions) when the test ends.
#pragma once

#include <string>
#include <vector>

#include "runtime/text.h"

class SqliteDB;

class TempDbFile {
public:
    explicit TempDbFile(const char* suffix = ".db");
    ~TempDbFile();
    TempDbFile(const TempDbFile&) = delete;
    TempDbFile& operator=(const TempDbFile&) = delete;

    const Text& path() const { return path_; }
    bool exists() const;

private:
    Text path_;
};

// Creates the file with the program's schema and opens it.
bool openWithSchema(SqliteDB& db, const TempDbFile& file);
// A statement run straight on the connection, UTF-8, for checks.
std::string queryText(SqliteDB& db, const std::string& utf8Sql);
long long queryInt(SqliteDB& db, const std::string& utf8Sql);
// From now on, appends to `out` the text of each statement the connection
// runs, as prepared (parameters unexpanded). `out` must outlive the tracing.
void traceStatements(SqliteDB& db, std::vector<std::string>& out);
