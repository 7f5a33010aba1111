// Every SQL text the program composes itself, one function each; callers
// never concatenate SQL. Integers are written in decimal; a text value goes
// between single quotes with each quote inside it doubled, so a name such as
// "a'b" stays one value of one statement. Any thread may call these.
#pragma once

#include "runtime/text.h"

// A text as an SQL literal: 'a''b' for a'b.
Text QuoteSqlText(const Text& value);

// One logged cycle of a monitor task; `date` is the full FormatDateTime text.
Text LogInsertSql(const Text& name, const Text& ip, int listId, int time, int color,
                  const Text& date, int type);
// The host dialog loading one host.
Text HostLoadSql(int id);
// Deleting one host.
Text HostDeleteSql(int id);
// Clearing the log.
Text LogClearSql();

// The log query's condition: the inclusive date range when `byTime` (full
// FormatDateTime texts), then the type (3 abnormal, 4 timeout; 0 = all).
// Empty when there is nothing to filter.
Text LogQueryCondition(bool byTime, const Text& start, const Text& end, int type);
// The newest 1000 log rows matching the condition (empty: all rows).
Text LogQuerySql(const Text& condition);
// The log export: every row matching the same condition, newest first, with
// the columns the file shows; and how many rows that is. `walkTable` reads
// the table itself from the newest row back instead of through an index,
// whose rows would then have to be sorted by id.
Text LogExportSql(const Text& condition, bool walkTable = false);
Text LogExportCountSql(const Text& condition);
// How many ids the log spans (max - min + 1): at least as many as it has rows,
// found from the two ends of the table without reading it.
Text LogIdSpanSql();

// SqliteTable::find conditions for one host: the task registry's form
// ("id=7") and the host dialog's form ("id = 7").
Text TaskHostCondition(int id);
Text HostSaveCondition(int id);

// "BEGIN TRANSACTION " / "COMMIT TRANSACTION " followed by the name; empty
// when the name makes the piece longer than the layer's 1024-byte buffer.
Text BeginTransactionSql(const Text& name = Text());
Text CommitTransactionSql(const Text& name = Text());
