// SqliteTable: a cursor over the records of one table, with the SQL written
// by the layer. Positions index a snapshot of the row ids taken at `open` and
// after each successful `update`; no statement stays open between calls.
//
// Threads: one object is used by one thread from creation to destruction
// (the user-interface thread in this program). The SqliteDB it was opened
// with must stay open while the table is used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/text.h"
#include "runtime/values.h"
#include "store/field.h"
#include "store/pending_value.h"

class SqliteDB;
struct sqlite3;

class SqliteTable {
public:
    enum class Mode { closed, browse, add, edit };

    SqliteTable();
    ~SqliteTable();
    SqliteTable(const SqliteTable&) = delete;
    SqliteTable& operator=(const SqliteTable&) = delete;

    // Reads the column names and the row-id snapshot; position 0.
    bool open(const Text& tableName, SqliteDB& db);
    bool close();
    int recordCount() const;
    bool moveFirst();
    // Moves to position + n; n = 0 gives false. Past either end the position
    // stops at 0 or record count + 1 and the result is false.
    bool skip(int n = 1);
    bool addNew();
    bool edit();  // needs a current record
    // The value is kept for the next `update`. A refused value (an empty text,
    // an unsupported type) empties the column's slot and gives false.
    bool write(const FieldSelector& field, bool value);
    bool write(const FieldSelector& field, std::uint8_t value);
    bool write(const FieldSelector& field, std::int16_t value);
    bool write(const FieldSelector& field, int value);
    bool write(const FieldSelector& field, std::int64_t value);
    bool write(const FieldSelector& field, float value);
    bool write(const FieldSelector& field, double value);
    bool write(const FieldSelector& field, DateTime value);
    bool write(const FieldSelector& field, const Text& value);
    bool write(const FieldSelector& field, const char* value);
    bool write(const FieldSelector& field, const ByteSet& value);
    bool write(const FieldSelector& field, const Value& value);  // refuses other types
    // UPDATE (edit mode) or INSERT (add mode) of the written columns, bound as
    // parameters. On success: browse mode, snapshot reloaded, slots gone.
    bool update();
    // Moves to the first record at or after the current one matching the SQL
    // condition (inserted as given: callers pass "id = 7" style conditions).
    bool find(const Text& condition);
    // Reads one field of the current record; false leaves the variable as it was.
    template <typename T>
    bool read(const FieldSelector& field, T& variable) {
        return readField(field, FieldVariable(&variable));
    }

    Mode mode() const { return mode_; }
    int position() const { return position_; }
    // Row id given to the record that the last successful `update` in add
    // mode inserted, taken while no other thread could insert on the shared
    // connection; 0 when there was none.
    std::int64_t insertedRowId() const { return insertedRowId_; }

private:
    bool readField(const FieldSelector& field, const FieldVariable& variable);
    bool loadColumns();
    bool loadSnapshot();
    bool moveTo(std::int64_t target);
    bool hasCurrent() const { return position_ >= 1 && position_ <= recordCount(); }
    int columnOf(const FieldSelector& field) const;
    bool setPending(const FieldSelector& field, PendingValue value);
    void reloadAfterUpdate(bool editedInPlace);
    int schemaVersion() const;
    bool currentRowStillThere() const;

    int position_ = 0;
    Text name_;
    std::vector<Text> columns_;
    std::vector<std::string> foldedColumns_;
    std::vector<std::int64_t> rowIds_;
    Mode mode_ = Mode::closed;
    sqlite3* db_ = nullptr;
    std::vector<PendingValue> pending_;
    bool hasSlots_ = false;
    std::int64_t insertedRowId_ = 0;
    int changesAtSnapshot_ = -1;  // the connection's total changes when the row ids were read
    int schemaVersion_ = -1;      // the schema cookie when the columns were read
};
