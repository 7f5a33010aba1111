#include "store/sqlite_table.h"

#include <sqlite3.h>

#include <algorithm>

#include "runtime/codepage.h"
#include "runtime/convert.h"
#include "store/sqlite_db.h"
#include "store/sqlite_statement.h"
#include "store/statement_piece.h"

namespace {

constexpr std::size_t kMaxTableName = 1023;

Text rowIdText(std::int64_t id) { return toText(id); }

// Formats one statement of the table's (a piece: statement_piece.h) and
// prepares it; false when it does not fit the piece buffer or SQLite
// refuses it.
template <typename... Names>
bool preparePiece(SqliteStatement& stmt, sqlite3* db, const char* format, const Names&... names) {
    std::string sql;
    return appendPiece(sql, format, names...) && stmt.prepare(db, gbkToUtf8(Text(sql)));
}

}  // namespace

SqliteTable::SqliteTable() = default;

SqliteTable::~SqliteTable() { close(); }

bool SqliteTable::close() {
    position_ = 0;
    name_ = Text();
    columns_.clear();
    foldedColumns_.clear();
    rowIds_.clear();
    pending_.clear();
    hasSlots_ = false;
    mode_ = Mode::closed;
    db_ = nullptr;
    return true;
}

bool SqliteTable::open(const Text& tableName, SqliteDB& db) {
    if (tableName.empty() || !db.connection()) return false;
    close();
    name_ = Text(tableName.view().substr(0, kMaxTableName));
    db_ = db.connection();
    mode_ = Mode::browse;
    if (!loadColumns() || !loadSnapshot()) {
        close();
        return false;
    }
    pending_.assign(columns_.size(), PendingValue());
    hasSlots_ = true;
    insertedRowId_ = 0;
    return true;
}

bool SqliteTable::loadColumns() {
    SqliteStatement stmt;
    if (!preparePiece(stmt, db_, "SELECT * FROM %s LIMIT 0", name_)) return false;
    const int rc = stmt.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return false;
    const int count = sqlite3_column_count(stmt.get());
    columns_.clear();
    foldedColumns_.clear();
    for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(stmt.get(), i);
        columns_.push_back(utf8ToGbk(name ? name : ""));
        foldedColumns_.push_back(foldFieldName(columns_.back().str()));
    }
    schemaVersion_ = schemaVersion();
    return true;
}

bool SqliteTable::loadSnapshot() {
    SqliteStatement stmt;
    if (!preparePiece(stmt, db_, "SELECT _ROWID_ FROM %s ORDER BY _ROWID_ ", name_)) return false;
    std::vector<std::int64_t> ids;
    int rc;
    while ((rc = stmt.step()) == SQLITE_ROW) ids.push_back(sqlite3_column_int64(stmt.get(), 0));
    if (rc != SQLITE_DONE) return false;
    rowIds_ = std::move(ids);
    changesAtSnapshot_ = sqlite3_total_changes(db_);
    return true;
}

int SqliteTable::recordCount() const { return static_cast<int>(rowIds_.size()); }

bool SqliteTable::moveTo(std::int64_t target) {
    if (mode_ == Mode::closed) return false;
    const std::int64_t count = recordCount();
    if (target >= 1 && target <= count) {
        position_ = static_cast<int>(target);
        return true;
    }
    position_ = target > count ? static_cast<int>(count + 1) : 0;
    return false;
}

bool SqliteTable::moveFirst() { return moveTo(1); }

bool SqliteTable::skip(int n) {
    if (n == 0) return false;
    return moveTo(static_cast<std::int64_t>(position_) + n);
}

bool SqliteTable::addNew() {
    if (mode_ == Mode::closed) return false;
    pending_.assign(columns_.size(), PendingValue());
    hasSlots_ = true;
    mode_ = Mode::add;
    return true;
}

bool SqliteTable::edit() {
    if (mode_ == Mode::closed || !hasCurrent()) return false;
    pending_.assign(columns_.size(), PendingValue());
    hasSlots_ = true;
    mode_ = Mode::edit;
    return true;
}

int SqliteTable::columnOf(const FieldSelector& field) const {
    if (mode_ == Mode::closed) return -1;
    return resolveField(field, field.name().str(), foldedColumns_);
}

bool SqliteTable::setPending(const FieldSelector& field, PendingValue value) {
    const int column = columnOf(field);
    if (column < 0 || !hasSlots_) return false;
    const bool accepted = hasValue(value);
    pending_[column] = std::move(value);
    return accepted;
}

bool SqliteTable::write(const FieldSelector& f, bool v) { return setPending(f, std::int32_t(v ? 1 : 0)); }
bool SqliteTable::write(const FieldSelector& f, std::uint8_t v) { return setPending(f, std::int32_t(v)); }
bool SqliteTable::write(const FieldSelector& f, std::int16_t v) { return setPending(f, std::int32_t(v)); }
bool SqliteTable::write(const FieldSelector& f, int v) { return setPending(f, std::int32_t(v)); }
bool SqliteTable::write(const FieldSelector& f, std::int64_t v) { return setPending(f, v); }
bool SqliteTable::write(const FieldSelector& f, float v) { return setPending(f, double(v)); }
bool SqliteTable::write(const FieldSelector& f, double v) { return setPending(f, v); }
bool SqliteTable::write(const FieldSelector& f, DateTime v) { return setPending(f, v.value); }
bool SqliteTable::write(const FieldSelector& f, const char* v) { return write(f, Text(v)); }

bool SqliteTable::write(const FieldSelector& f, const Text& v) {
    // The empty text is the absent text: there is nothing to write.
    return setPending(f, v.empty() ? PendingValue() : PendingValue(v));
}

bool SqliteTable::write(const FieldSelector& f, const ByteSet& v) { return setPending(f, v); }

bool SqliteTable::write(const FieldSelector& f, const Value& v) {
    return std::visit(
        [&](const auto& x) -> bool {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, SubPointer>)
                return setPending(f, PendingValue());
            else
                return write(f, x);
        },
        v);
}

bool SqliteTable::update() {
    if ((mode_ != Mode::add && mode_ != Mode::edit) || !hasSlots_) return false;
    std::string assignments, names, placeholders;
    std::vector<const PendingValue*> bound;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (!hasValue(pending_[i])) continue;
        if (!appendPiece(assignments, "%s=?,", columns_[i]) ||
            !appendPiece(names, "%s,", columns_[i]))
            return false;
        placeholders += "?,";
        bound.push_back(&pending_[i]);
    }
    if (bound.empty()) return false;
    assignments.pop_back();
    names.pop_back();
    placeholders.pop_back();

    std::string sql;
    if (mode_ == Mode::edit) {
        if (!appendPiece(sql, "UPDATE %s SET ", name_)) return false;
        sql += assignments;
        if (!appendPiece(sql, " WHERE _ROWID_=%s", rowIdText(rowIds_[position_ - 1]))) return false;
    } else {
        if (!appendPiece(sql, "INSERT INTO %s (", name_)) return false;
        sql += names + ") VALUES (" + placeholders + ")";
    }
    SqliteStatement stmt;
    if (!stmt.prepare(db_, gbkToUtf8(Text(sql)))) return false;
    for (std::size_t i = 0; i < bound.size(); ++i)
        bindPending(stmt.get(), static_cast<int>(i) + 1, *bound[i]);

    // Monitor tasks insert log rows on the same connection: hold its mutex
    // so that the row id read back is the one this INSERT produced.
    sqlite3_mutex* connectionMutex = sqlite3_db_mutex(db_);
    sqlite3_mutex_enter(connectionMutex);
    const int changesBefore = sqlite3_total_changes(db_);
    const int rc = stmt.step();
    const int changesAfter = sqlite3_total_changes(db_);
    const std::int64_t inserted = sqlite3_last_insert_rowid(db_);
    sqlite3_mutex_leave(connectionMutex);
    if (rc != SQLITE_DONE) return false;
    stmt.finalize();

    const bool editedInPlace = mode_ == Mode::edit && changesBefore == changesAtSnapshot_ &&
                               changesAfter == changesBefore + 1;
    if (mode_ == Mode::add) insertedRowId_ = inserted;
    mode_ = Mode::browse;
    pending_.clear();
    hasSlots_ = false;
    reloadAfterUpdate(editedInPlace);
    position_ = std::min(position_, recordCount() + 1);
    return true;
}

// Reloading the row ids after every update makes a scan that edits each
// record quadratic. When nothing but this one UPDATE changed the database
// since the snapshot, the schema is the same and the record kept its row id,
// the reload would give back exactly what the table holds, so it is skipped.
void SqliteTable::reloadAfterUpdate(bool editedInPlace) {
    if (editedInPlace && schemaVersion() == schemaVersion_ && currentRowStillThere()) {
        changesAtSnapshot_ = sqlite3_total_changes(db_);
        return;
    }
    loadColumns();
    loadSnapshot();
}

int SqliteTable::schemaVersion() const {
    return static_cast<int>(QueryNumber(db_, "PRAGMA schema_version").value_or(-1));
}

bool SqliteTable::currentRowStillThere() const {
    if (!hasCurrent()) return false;
    SqliteStatement stmt;
    return preparePiece(stmt, db_, "SELECT 1 FROM %s WHERE _ROWID_=%s", name_, rowIdText(rowIds_[position_ - 1])) &&
           stmt.step() == SQLITE_ROW;
}

bool SqliteTable::find(const Text& condition) {
    if (mode_ == Mode::closed || position_ > recordCount()) return false;
    const Text start = position_ >= 1 ? rowIdText(rowIds_[position_ - 1]) : Text("0");
    std::string sql;
    if (!appendPiece(sql, "SELECT _ROWID_ FROM %s", name_) ||
        !appendPiece(sql, " WHERE _ROWID_>=%s AND (", start))
        return false;
    sql += condition.str() + ")";
    const std::optional<std::int64_t> found = QueryNumber(db_, gbkToUtf8(Text(sql)));
    if (!found) return false;
    const auto it = std::lower_bound(rowIds_.begin(), rowIds_.end(), *found);
    if (it == rowIds_.end() || *it != *found) return false;  // not in the snapshot
    position_ = static_cast<int>(it - rowIds_.begin()) + 1;
    return true;
}

bool SqliteTable::readField(const FieldSelector& field, const FieldVariable& variable) {
    if (mode_ == Mode::closed || !hasCurrent()) return false;
    const int column = columnOf(field);
    if (column < 0) return false;
    SqliteStatement stmt;
    if (!preparePiece(stmt, db_, "SELECT %s FROM %s WHERE _ROWID_ = %s ", columns_[column], name_,
                      rowIdText(rowIds_[position_ - 1])) ||
        stmt.step() != SQLITE_ROW)
        return false;
    storeColumn(stmt.get(), 0, variable);
    return true;
}
