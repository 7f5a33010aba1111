// Table `outage`: one row per down or high-latency episode of a host, with
// its start and end as date texts (`end` empty while it lasts). Every value
// is bound; each call is one statement of its own (autocommit).
//
// Threads: the user-interface thread. Callers hold the log lock around
// these calls: no log row is written meanwhile (the log writer's
// transaction, or a task writing its own row on this connection), so no log
// row comes between an INSERT here and the row id read after it, and no
// statement here waits inside SQLite for the log's write.
#pragma once

#include <cstdint>

#include "runtime/text.h"

class SqliteDB;

struct OutageStart {
    std::int32_t hostId = 0;  // list_id
    Text name;                // GBK, as the program holds it
    Text address;
    int kind = 0;             // 1 down, 2 high latency
    Text start;               // date text
};

// The new row's id, 0 when it could not be written.
std::int64_t OpenOutage(SqliteDB& db, const OutageStart& episode);
// Sets the row's end (and worst latency, 0 for a down episode).
bool CloseOutage(SqliteDB& db, std::int64_t rowId, const Text& end, int worst);
// Rows left open by a program that did not end in order get `end`; how many.
int CloseOpenOutages(SqliteDB& db, const Text& end);
