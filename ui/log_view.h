// The log page: the query of table `record` into 超级列表框_日志 (item data:
// the log row's id) and clearing the log.
// The user-interface thread only; db is the program's connection.
#pragma once

#include "runtime/text.h"

class SqliteDB;

// The condition the log page's time range and type give now (LogQueryCondition):
// the query and the export read the same rows.
Text currentLogCondition();

void queryLog(SqliteDB& db);
// Asks first; clears table and list only on Yes. A delete that fails is
// reported as "操作失败" and leaves the list as it was.
void clearLog(SqliteDB& db);
