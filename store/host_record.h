// HostRecord: one row of table `serverlist` as the program uses it, and the
// only place that names the table and its columns. Callers name the fields
// they read or write (HostField) in the order they want them; a table cursor
// issues one statement per field read, in that order, so each caller keeps
// exactly the statements it asks for.
//
// Threads: whichever thread owns the cursor (the user-interface thread in
// this program).
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>

#include "runtime/text.h"

class SqliteDB;
class SqliteDataset;
class SqliteTable;

constexpr int kHostClasses = 4;  // latency classes: good, normal, abnormal, timeout

// A new host's thresholds and class colours (0x00BBGGRR): what the host
// dialog shows before anything is typed.
constexpr std::array<std::int32_t, kHostClasses> kNewHostTimes = {30, 100, 200, 500};
constexpr std::array<std::int32_t, kHostClasses> kNewHostColours = {0x008000, 0x0080FF, 0x0000FF,
                                                                   0x606060};

struct HostRecord {
    std::int32_t id = 0;
    Text name;                            // shown in the list; the log's name
    Text address;                         // IP address or host name probed
    std::int32_t time[kHostClasses] = {};   // class thresholds, ms
    std::int32_t color[kHostClasses] = {};  // class colours, 0x00BBGGRR
    std::int32_t logFlag = 0;    // as stored: 1 logs abnormal cycles, 0 does not
    std::int32_t autoStart = 0;  // as stored; kept for the file, every task starts
    std::int32_t handle = 0;     // the stop token of the host's running task, 0 none
};

enum class HostField {
    id,
    name,
    address,
    thresholds,  // each class's time then colour, class by class
    logFlag,
    autoStart,
    handle,
};
using HostFields = std::initializer_list<HostField>;

// What the host dialog edits, in its order.
constexpr HostFields kHostFormFields = {HostField::name, HostField::address, HostField::thresholds,
                                        HostField::logFlag, HostField::autoStart};

// Opens `table` on serverlist.
bool openHostTable(SqliteTable& table, SqliteDB& db);

// Reads the fields of the current row into `record`, in the order given. A
// field that cannot be read keeps the record's value.
// True when every field was read.
bool readHostRecord(SqliteTable& table, HostRecord& record, HostFields fields);
bool readHostRecord(SqliteDataset& rows, HostRecord& record, HostFields fields);

// Whether the current row's stored name and address read as Text exactly.
// Another program may have stored UTF-8 that GBK lacks (an emoji, Korean):
// read, each such character is "?", and writing the read value back would
// lose the character for good.
struct HostTextsExact {
    bool name = true;
    bool address = true;
};
HostTextsExact hostTextsExact(SqliteDataset& rows);

// Writes the fields for the table's next update (edit or add mode). An
// empty text is no value: it is left out of the statement. True when every
// field was accepted.
bool writeHostRecord(SqliteTable& table, const HostRecord& record, HostFields fields);
