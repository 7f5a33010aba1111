// HistoryWriter: the history's writes, in a thread of its own on the
// history's own connection, so that the user-interface thread only takes
// the closed periods out of the book and hands them over (microseconds),
// and never waits for the file.
//
// What is handed over joins a backlog the thread writes in transactions of
// at most kHistoryRowsPerTransaction rows, pausing between them: a monitor
// task's log INSERT, or a statement of the user-interface thread, that
// meets one of them waits a few milliseconds, never the whole batch. Rows of
// a transaction that fails stay in the backlog for the next hand-over (the
// next minute), capped at kMaxPendingRows as the book's own are.
//
// Threads: the owner's thread (the user-interface thread) calls every
// method. start() starts the writer thread; finish() (or the destructor,
// which does not wait) asks it to end once the backlog has been tried once
// more, through a condition the thread waits on: it never polls. The thread
// alone uses the store it was started with, and closes it when it ends;
// what the two threads share lives in a block both hold, so a writer that
// outlives its owner (finish timed out at the program's end) uses no freed
// memory.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "history/history_book.h"
#include "history/history_store.h"
#include "runtime/text.h"

// Rows a write transaction holds at most: a few milliseconds of a log
// INSERT's wait under Wine.
inline constexpr std::size_t kHistoryRowsPerTransaction = 250;
// The writer's pause between two transactions of a batch: longer than the
// longest sleep of SQLite's busy wait within the program's shared
// connection's 100 ms (25 ms), so a statement waiting there always finds
// the file free once in a while; skipped once the program ends.
inline constexpr int kHistoryPauseBetweenTransactionsMs = 30;

class HistoryWriter {
public:
    explicit HistoryWriter(std::size_t maxBacklogRows = kMaxPendingRows);
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    // Opens the history's connection to `path` (an existing database file
    // with the history tables) and starts the thread. False when either
    // failed: hand-overs are then kept (and capped) but never written.
    bool start(const Text& path);
    bool running() const;

    // Adds a batch to the backlog and wakes the thread; returns at once.
    void handOver(HistoryBatch batch);
    // The last batch: hands it over, asks the thread to end once it has
    // tried the backlog, and waits for it at most timeoutMs. True when the
    // thread has ended and everything handed over is written.
    bool finish(HistoryBatch last, int timeoutMs);

    // The rows of one host and period kind with from <= start < to that are
    // closed and not in memory any more: those in the file (read through
    // `reader`, a connection of the caller's thread) and those handed over
    // and not yet written. Read as one: a transaction the writer commits
    // meanwhile is seen either in the file or in the backlog, never in both.
    std::vector<StoredPeriod> closedRows(HistoryStore& reader, std::int32_t hostId, int period,
                                         UtcSeconds from, UtcSeconds to) const;

    // Waits until every batch handed over so far has been tried, at most
    // timeoutMs; true when they have and the last try wrote everything.
    // For tests and benchmarks: the program never waits but at the end.
    bool waitWritten(int timeoutMs);
    // Rows handed over and not yet written.
    std::size_t backlogRows() const;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    bool started_ = false;
};
