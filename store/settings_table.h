// Table `settings`: the program's own settings as key and text value
// (UTF-8 in the file, GBK in the program). Each call is one statement.
//
// Threads: the user-interface thread.
#pragma once

#include <map>
#include <string>

#include "runtime/text.h"

class SqliteDB;

// Every row; false (out untouched) when the table cannot be read.
bool ReadSettings(SqliteDB& db, std::map<std::string, Text>& out);
// Sets one key (added or replaced).
bool WriteSetting(SqliteDB& db, const std::string& key, const Text& value);
bool DeleteSetting(SqliteDB& db, const std::string& key);
