#include "history/history_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>


namespace {

// A prepared statement of this store. Prepared with the current interface:
// another connection (the program's own) may change the schema at any time,
// and such a statement re-prepares itself instead of failing the batch.
class Statement {
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool prepare(sqlite3* db, const char* sql) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        return db && sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) == SQLITE_OK && stmt_;
    }
    int step() { return sqlite3_step(stmt_); }
    void reset() { sqlite3_reset(stmt_); }
    sqlite3_stmt* get() const { return stmt_; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

const char* const kUpsertRow =
    "INSERT INTO history (list_id, period, start, sent, lost, min, avg, max, p50, p90, jitter)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"
    " ON CONFLICT (list_id, period, start) DO UPDATE SET"
    " sent = history.sent + excluded.sent, lost = history.lost + excluded.lost,"
    " min = min(coalesce(history.min, excluded.min), coalesce(excluded.min, history.min)),"
    " max = max(coalesce(history.max, excluded.max), coalesce(excluded.max, history.max)),"
    " avg = CASE WHEN history.avg IS NULL THEN excluded.avg WHEN excluded.avg IS NULL THEN history.avg"
    "  ELSE (history.avg * (history.sent - history.lost) + excluded.avg * (excluded.sent - excluded.lost)"
    "   + (history.sent - history.lost + excluded.sent - excluded.lost) / 2)"
    "   / (history.sent - history.lost + excluded.sent - excluded.lost) END,"
    " p50 = max(coalesce(history.p50, excluded.p50), coalesce(excluded.p50, history.p50)),"
    " p90 = max(coalesce(history.p90, excluded.p90), coalesce(excluded.p90, history.p90)),"
    " jitter = max(coalesce(history.jitter, excluded.jitter), coalesce(excluded.jitter, history.jitter))";
const char* const kDropOpenOfRow = "DELETE FROM history_open WHERE list_id = ?1 AND period = ?2 AND start = ?3";
const char* const kDeleteHostRows = "DELETE FROM history WHERE list_id = ?1";
const char* const kDeleteHostOpen = "DELETE FROM history_open WHERE list_id = ?1";
const char* const kDeleteAllOpen = "DELETE FROM history_open";
const char* const kInsertOpen = "INSERT INTO history_open (list_id, period, start, state) VALUES (?1, ?2, ?3, ?4)";
const char* const kSelectOpen = "SELECT list_id, period, start, state FROM history_open";
const char* const kPruneRows =
    "DELETE FROM history WHERE list_id = ?1 AND period = ?2 AND start IN"
    " (SELECT start FROM history WHERE list_id = ?1 AND period = ?2 AND start < ?3 ORDER BY start LIMIT ?4)";
// Every host with rows, an index seek each: a host the program has not run
// since it started (its auto start off) has rows past their time too.
const char* const kStoredHosts =
    "WITH RECURSIVE ids(id) AS (SELECT min(list_id) FROM history"
    " UNION ALL SELECT (SELECT min(list_id) FROM history WHERE list_id > ids.id) FROM ids"
    " WHERE ids.id IS NOT NULL) SELECT id FROM ids WHERE id IS NOT NULL";
const char* const kSelectRows =
    "SELECT start, sent, lost, min, avg, max, p50, p90, jitter FROM history"
    " WHERE list_id = ?1 AND period = ?2 AND start >= ?3 AND start < ?4 ORDER BY start";

// BEGIN IMMEDIATE takes the write lock at once; a deferred transaction
// could instead fail at its first write after having read.
const char* const kBegin = "BEGIN IMMEDIATE";
const char* const kCommit = "COMMIT";
const char* const kRollback = "ROLLBACK";

void bindOptional(sqlite3_stmt* stmt, int index, const std::optional<int>& value) {
    if (value)
        sqlite3_bind_int(stmt, index, *value);
    else
        sqlite3_bind_null(stmt, index);
}

void bindText(sqlite3_stmt* stmt, int index, const std::string& text) {
    sqlite3_bind_text(stmt, index, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Steps a bound statement to its end and resets it for the next binding.
bool runOnce(Statement& stmt) {
    const int rc = stmt.step();
    stmt.reset();
    sqlite3_clear_bindings(stmt.get());
    return rc == SQLITE_DONE;
}

std::optional<int> columnOptional(sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int(stmt, column);
}

std::string columnText(sqlite3_stmt* stmt, int column) {
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

HistoryTransaction::HistoryTransaction(HistoryStore& store) : db_(store.database().connection()) {
    begun_ = db_ && sqlite3_exec(db_, kBegin, nullptr, nullptr, nullptr) == SQLITE_OK;
}

HistoryTransaction::~HistoryTransaction() {
    if (begun_) sqlite3_exec(db_, kRollback, nullptr, nullptr, nullptr);
}

bool HistoryTransaction::commit() {
    if (!begun_ || sqlite3_exec(db_, kCommit, nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    begun_ = false;
    return true;
}

bool HistoryStore::open(const Text& path) {
    // A minute's batch touches one leaf page of every host (rows are kept
    // by host): the cache holds them all from one minute to the next, so a
    // batch reads none of them back from the file.
    // The batch's commit does not wait for the disk (no sync in WAL mode
    // until the checkpoint): a power cut may lose the last minutes of
    // history, never the file's consistency, and the user-interface thread
    // never waits tens of milliseconds for a sync.
    // The write-ahead log is copied back by checkpoint(), not by a commit
    // past 1,000 pages: the writer commits while the user-interface thread
    // may wait for it (history/history_writer.h), and the copy takes long.
    return db_.open(path) && db_.setBusyTimeout(kHistoryBusyTimeoutMs) &&
           db_.execute("PRAGMA cache_size = -" + std::to_string(kHistoryCacheKib)) &&
           db_.execute("PRAGMA synchronous = NORMAL") && db_.execute("PRAGMA wal_autocheckpoint = 0");
}

bool HistoryStore::checkpoint() {
    // PASSIVE: copies what it can without waiting for any reader or writer.
    return db_.execute("PRAGMA wal_checkpoint(PASSIVE)");
}

bool HistoryStore::forgetHost(std::int32_t hostId) {
    Statement rows, open;
    if (!rows.prepare(db_.connection(), kDeleteHostRows) || !open.prepare(db_.connection(), kDeleteHostOpen))
        return false;
    sqlite3_bind_int(rows.get(), 1, hostId);
    sqlite3_bind_int(open.get(), 1, hostId);
    return runOnce(rows) && runOnce(open);
}

bool HistoryStore::writeRows(const std::vector<PeriodRow>& rows) {
    if (rows.empty()) return true;
    Statement upsert, dropOpen;
    if (!upsert.prepare(db_.connection(), kUpsertRow) || !dropOpen.prepare(db_.connection(), kDropOpenOfRow))
        return false;
    for (const PeriodRow& row : rows) {
        const std::string start = utcText(row.start);
        sqlite3_stmt* s = upsert.get();
        sqlite3_bind_int(s, 1, row.hostId);
        sqlite3_bind_int(s, 2, row.period);
        bindText(s, 3, start);
        sqlite3_bind_int64(s, 4, row.figures.sent);
        sqlite3_bind_int64(s, 5, row.figures.lost);
        bindOptional(s, 6, row.figures.min);
        bindOptional(s, 7, row.figures.avg);
        bindOptional(s, 8, row.figures.max);
        bindOptional(s, 9, row.figures.p50);
        bindOptional(s, 10, row.figures.p90);
        bindOptional(s, 11, row.figures.jitter);
        // The kept state of a period now written would be written again
        // after a crash and a restart.
        sqlite3_bind_int(dropOpen.get(), 1, row.hostId);
        sqlite3_bind_int(dropOpen.get(), 2, row.period);
        bindText(dropOpen.get(), 3, start);
        if (!runOnce(upsert) || !runOnce(dropOpen)) return false;
    }
    return true;
}

bool HistoryStore::saveOpenStates(const std::vector<OpenPeriodState>& states) {
    Statement clear, insert;
    if (!clear.prepare(db_.connection(), kDeleteAllOpen) || !runOnce(clear) ||
        !insert.prepare(db_.connection(), kInsertOpen))
        return false;
    for (const OpenPeriodState& state : states) {
        sqlite3_bind_int(insert.get(), 1, state.hostId);
        sqlite3_bind_int(insert.get(), 2, state.period);
        bindText(insert.get(), 3, utcText(state.start));
        sqlite3_bind_blob(insert.get(), 4, state.state.data(), static_cast<int>(state.state.size()),
                          SQLITE_TRANSIENT);
        if (!runOnce(insert)) return false;
    }
    return true;
}

bool HistoryStore::pruneBatch(const std::vector<std::int32_t>& hosts, UtcSeconds now) {
    if (pruneCursor_ >= pruneTurn_.size()) {
        // A new turn: the running hosts and every host with rows in the file.
        pruneTurn_ = hosts;
        Statement stored;
        if (!stored.prepare(db_.connection(), kStoredHosts)) return false;
        while (stored.step() == SQLITE_ROW) pruneTurn_.push_back(sqlite3_column_int(stored.get(), 0));
        std::sort(pruneTurn_.begin(), pruneTurn_.end());
        pruneTurn_.erase(std::unique(pruneTurn_.begin(), pruneTurn_.end()), pruneTurn_.end());
        pruneCursor_ = 0;
    }
    if (pruneTurn_.empty()) return true;
    Statement prune;
    if (!prune.prepare(db_.connection(), kPruneRows)) return false;
    for (std::size_t n = 0; n < kPruneHostsPerBatch && pruneCursor_ < pruneTurn_.size(); ++n) {
        const std::int32_t id = pruneTurn_[pruneCursor_++];
        for (std::size_t kind = 0; kind < kPeriodKinds; ++kind) {
            sqlite3_bind_int(prune.get(), 1, id);
            sqlite3_bind_int(prune.get(), 2, kPeriods[kind]);
            bindText(prune.get(), 3, utcText(now - kRetentionSeconds[kind]));
            sqlite3_bind_int(prune.get(), 4, kPruneRowsPerStatement);
            if (!runOnce(prune)) return false;
        }
    }
    return true;
}

std::vector<OpenPeriodState> HistoryStore::loadOpen() {
    std::vector<OpenPeriodState> states;
    Statement select;
    if (!select.prepare(db_.connection(), kSelectOpen)) return states;
    while (select.step() == SQLITE_ROW) {
        sqlite3_stmt* s = select.get();
        const std::optional<UtcSeconds> start = utcFromText(columnText(s, 2));
        if (!start) continue;
        const void* blob = sqlite3_column_blob(s, 3);
        const int size = sqlite3_column_bytes(s, 3);
        states.push_back({sqlite3_column_int(s, 0), sqlite3_column_int(s, 1), *start,
                          blob ? std::string(static_cast<const char*>(blob), static_cast<std::size_t>(size))
                               : std::string()});
    }
    return states;
}

std::vector<StoredPeriod> HistoryStore::rows(std::int32_t hostId, int period, UtcSeconds from, UtcSeconds to) {
    std::vector<StoredPeriod> out;
    Statement select;
    if (!select.prepare(db_.connection(), kSelectRows)) return out;
    sqlite3_stmt* s = select.get();
    sqlite3_bind_int(s, 1, hostId);
    sqlite3_bind_int(s, 2, period);
    bindText(s, 3, utcText(from));
    bindText(s, 4, utcText(to));
    while (select.step() == SQLITE_ROW) {
        const std::optional<UtcSeconds> start = utcFromText(columnText(s, 0));
        if (!start) continue;
        StoredPeriod row;
        row.start = *start;
        row.figures.sent = sqlite3_column_int64(s, 1);
        row.figures.lost = sqlite3_column_int64(s, 2);
        row.figures.min = columnOptional(s, 3);
        row.figures.avg = columnOptional(s, 4);
        row.figures.max = columnOptional(s, 5);
        row.figures.p50 = columnOptional(s, 6);
        row.figures.p90 = columnOptional(s, 7);
        row.figures.jitter = columnOptional(s, 8);
        out.push_back(row);
    }
    return out;
}
