// HistoryStore: the `history` and `history_open` tables, on a connection of
// the history's own. Its writes run in transactions on that connection
// (HistoryTransaction), so no log row (written by the log writer on its own
// connection) can ever join one: a write that fails is rolled back alone
// and no log row with it. A log transaction that meets such a transaction's
// write lock waits for it, inside SQLite and then by retrying
// (monitor/log_writer.h): the writer keeps each transaction short.
//
// Rows of a period already in the file (a clock set back named it again)
// are merged into it: counts add up, extremes and percentiles take the
// worse, averages weigh by answered cycles.
//
// Threads: one thread at a time per store: the history's writer thread
// for the one it writes with, the user-interface thread for the one the
// windows read with.
#pragma once

#include <cstdint>
#include <vector>

#include "history/history_book.h"
#include "runtime/text.h"
#include "store/sqlite_db.h"

// How long the history's connection waits for another's write lock (a log
// INSERT holds it for a moment, a tool on the file for longer). The writer
// thread waits, not the user-interface thread; a batch that gives up goes
// with the next minute's.
inline constexpr int kHistoryBusyTimeoutMs = 2000;
// The history connection's page cache: the leaf pages a minute's batch
// touches for 2,000 hosts (one each, 4 KiB) and the inner pages above them.
inline constexpr int kHistoryCacheKib = 16 * 1024;
// Pruning stays in small batches so that no minute's write grows long after
// a long break: this many hosts a batch, this many rows a host and period.
inline constexpr std::size_t kPruneHostsPerBatch = 50;
inline constexpr int kPruneRowsPerStatement = 500;

// One stored row, as the windows read it.
struct StoredPeriod {
    UtcSeconds start = 0;
    PeriodFigures figures;
};

class HistoryStore {
public:
    // Opens its own connection to an existing database file (with the
    // history tables made by the schema step).
    bool open(const Text& path);
    void close() { db_.close(); }
    bool isOpen() const { return db_.isOpen(); }

    // Each of these runs inside a HistoryTransaction the caller holds; false
    // on any failure (the transaction is then to be rolled back).
    // Writes closed periods' rows, merged into rows of the same period
    // already in the file, and drops their kept open states.
    bool writeRows(const std::vector<PeriodRow>& rows);
    // A deleted host's rows and kept states go.
    bool forgetHost(std::int32_t hostId);
    // The open periods' states replace every kept one.
    bool saveOpenStates(const std::vector<OpenPeriodState>& states);
    // One small batch of rows past their retention goes: a few hosts a
    // call, in turn. A turn takes `hosts` (the running ones) and every host
    // with rows in the file, as they are when it begins.
    bool pruneBatch(const std::vector<std::int32_t>& hosts, UtcSeconds now);
    // Copies the write-ahead log back into the file as far as no reader
    // needs it (the connection never does so by itself).
    bool checkpoint();

    // The kept open states (at start, before any write).
    std::vector<OpenPeriodState> loadOpen();
    // Rows of one host and period kind with from <= start < to, oldest first.
    std::vector<StoredPeriod> rows(std::int32_t hostId, int period, UtcSeconds from, UtcSeconds to);

    SqliteDB& database() { return db_; }

private:
    SqliteDB db_;
    std::vector<std::int32_t> pruneTurn_;  // the hosts of the pruning turn under way
    std::size_t pruneCursor_ = 0;          // the next of them to prune
};

// A write transaction on a store's connection (BEGIN IMMEDIATE: the write
// lock at once, so it never fails half way for a lock after having read),
// rolled back unless committed.
class HistoryTransaction {
public:
    explicit HistoryTransaction(HistoryStore& store);
    ~HistoryTransaction();
    HistoryTransaction(const HistoryTransaction&) = delete;
    HistoryTransaction& operator=(const HistoryTransaction&) = delete;
    bool begun() const { return begun_; }
    bool commit();

private:
    sqlite3* db_;
    bool begun_ = false;
};
