// HistoryStore: the `history` and `history_open` tables, on a connection of
// the history's own. A batch is one transaction on that connection, so a
// monitor task's log INSERT on the program's shared connection can never
// join it: a batch that fails is rolled back alone and no log row with it.
// The caller holds the log lock for the batch, so the shared connection
// never meets the batch's write lock and needs no busy timeout.
//
// Rows of a period already in the file (a clock set back named it again)
// are merged into it: counts add up, extremes and percentiles take the
// worse, averages weigh by answered cycles.
//
// Threads: the user-interface thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "history/history_book.h"
#include "runtime/text.h"
#include "store/sqlite_db.h"

// How long the history's connection waits for another's write lock. The
// batch runs holding the log lock (history/history_flush.h), so no monitor
// task writes meanwhile; this only bounds the user-interface thread's wait
// for a writer outside the program's own (a tool on the file), short
// enough never to be seen: a batch that gives up goes with the next minute's.
inline constexpr int kHistoryBusyTimeoutMs = 250;
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

    // One transaction: the rows of deleted hosts go, the book's pending rows
    // are written (and their kept open states dropped), with saveOpen the
    // open periods' states replace the kept ones, and one small batch of
    // rows past their retention is pruned. False (nothing changed) on any
    // failure: the book keeps what was pending for the next try.
    bool write(const HistoryBook& book, UtcSeconds now, bool saveOpen);
    // The kept open states (at start, before any write).
    std::vector<OpenPeriodState> loadOpen();
    // Rows of one host and period kind with from <= start < to, oldest first.
    std::vector<StoredPeriod> rows(std::int32_t hostId, int period, UtcSeconds from, UtcSeconds to);

    SqliteDB& database() { return db_; }

private:
    bool writeRows(const HistoryBook& book);
    bool forgetHosts(const std::vector<std::int32_t>& hosts);
    bool saveOpenStates(const HistoryBook& book);
    bool pruneBatch(const std::vector<std::int32_t>& hosts, UtcSeconds now);

    SqliteDB db_;
    std::size_t pruneCursor_ = 0;  // the next host to prune, by position in the id list
};

// Makes a connection wait up to `ms` for another connection's lock.
bool setBusyTimeout(SqliteDB& db, int ms);
