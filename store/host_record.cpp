#include "store/host_record.h"

#include "runtime/codepage.h"
#include "store/sqlite_dataset.h"
#include "store/sqlite_table.h"

namespace {

const char* const kHostTable = "serverlist";
const char* const kTimeColumns[kHostClasses] = {"time1", "time2", "time3", "time4"};
const char* const kColourColumns[kHostClasses] = {"color1", "color2", "color3", "color4"};

// Visits each column of one field with its member; true when every visit was.
template <typename Record, typename Visit> bool eachColumn(HostField field, Record& r, Visit visit) {
    switch (field) {
    case HostField::thresholds: {
        bool all = true;
        for (int i = 0; i < kHostClasses; ++i) {
            all = visit(kTimeColumns[i], r.time[i]) && all;
            all = visit(kColourColumns[i], r.color[i]) && all;
        }
        return all;
    }
    case HostField::id: return visit("id", r.id);
    case HostField::name: return visit("servername", r.name);
    case HostField::address: return visit("serverip", r.address);
    case HostField::logFlag: return visit("record", r.logFlag);
    case HostField::autoStart: return visit("auto", r.autoStart);
    case HostField::handle: return visit("handle", r.handle);
    }
    return false;
}

template <typename Cursor> bool readFields(Cursor& cursor, HostRecord& record, HostFields fields) {
    bool all = true;
    for (HostField field : fields) {
        all = eachColumn(field, record, [&](const char* column, auto& member) {
                  return cursor.read(column, member);
              }) && all;
    }
    return all;
}

}  // namespace

bool openHostTable(SqliteTable& table, SqliteDB& db) { return table.open(kHostTable, db); }

bool readHostRecord(SqliteTable& table, HostRecord& record, HostFields fields) {
    return readFields(table, record, fields);
}

bool readHostRecord(SqliteDataset& rows, HostRecord& record, HostFields fields) {
    return readFields(rows, record, fields);
}

HostTextsExact hostTextsExact(SqliteDataset& rows) {
    // Read as bytes: the stored UTF-8 as it is, before any conversion.
    const auto exact = [&](HostField field) {
        HostRecord unused;
        bool fits = true;
        eachColumn(field, unused, [&](const char* column, auto&) {
            ByteSet stored;
            fits = !rows.read(column, stored) || utf8FitsGbk(std::string(stored.begin(), stored.end()));
            return true;
        });
        return fits;
    };
    return {exact(HostField::name), exact(HostField::address)};
}

bool writeHostRecord(SqliteTable& table, const HostRecord& record, HostFields fields) {
    bool all = true;
    for (HostField field : fields)
        all = eachColumn(field, record, [&](const char* column, const auto& member) {
                  return table.write(column, member);
              }) && all;
    return all;
}
