// LogWriter: the log's rows, written by a thread of its own on a connection
// of its own. A monitor task hands its cycle's INSERT over and goes on at
// once; the thread writes whatever has come, in order, a transaction at a
// time. When every host fails at once a commit per row is more than the file
// takes under Wine (about 1,000 a second, and every task queued on the log
// lock behind them); a transaction holds the rows of many cycles for the
// price of one commit.
//
// Each row is still its own INSERT statement, as specified. A transaction is
// written under the log lock, so the log clear and the other writes of the
// user-interface thread's connection never meet it half done. Inside it the
// writer waits for the file at most kLogWriterBusyWaitMs: a file another
// connection holds longer (a history batch, the log's upkeep, another
// program) is tried again kLogBusyRetryMs later, the rows kept, and in
// between the log lock is free, so that the window's own writes under it
// wait little even while the file stays held. Rows wait in memory at most kMaxQueuedLogRows (the oldest
// go first past it); a row SQLite refuses for any other reason (a read-only
// or full disk) is counted failed and not tried again, as the task's own
// write did.
//
// Durability: a row is in the file once its transaction has committed (WAL,
// synchronous NORMAL: killing the program loses nothing committed); a kill
// loses the rows still queued, normally those of the last few milliseconds.
//
// The write-ahead log is copied back into the file by a passive checkpoint
// at most once a second, outside the log lock, not by a commit: the copy
// takes long, and the commit that ran it would hold the log lock meanwhile.
//
// Threads: add() from any thread; the rest from the owner's thread (the
// user-interface thread), dropQueued() under the log lock. What the two
// threads share lives in a block both hold, so a writer that outlives its
// owner (finish timed out at the program's end) uses no freed memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "runtime/text.h"

// Rows a transaction holds at most: the log lock is held a few milliseconds
// for it, which is what a log clear or a host delete may wait.
inline constexpr std::size_t kLogRowsPerTransaction = 500;
// About half a minute of 1,800 failing hosts' rows (some 6 MB).
inline constexpr std::size_t kMaxQueuedLogRows = 32768;
// The writer's wait inside SQLite for another connection's write, under the
// log lock: longer than a history transaction holds the file, short enough
// that the log lock's other holders hardly notice it.
inline constexpr int kLogWriterBusyWaitMs = 20;
inline constexpr int kLogCheckpointIntervalMs = 1000;

class LogWriter {
public:
    explicit LogWriter(std::size_t maxQueuedRows = kMaxQueuedLogRows);
    ~LogWriter();  // asks the thread to end; does not wait
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Opens the writer's connection to `path` (an existing database file
    // with the `record` table) and starts the thread. False when either
    // failed; then add() refuses every row.
    bool start(const Text& path);

    // Queues one row's INSERT and wakes the thread; never waits for the
    // file. False when the writer does not take rows (not started, or
    // finishing): the caller then writes the row itself.
    bool add(Text insertSql);

    // Forgets every queued row; under the log lock, so no transaction is
    // under way. For the log clear: a row queued before it is of a cycle
    // before it.
    void dropQueued();

    // Takes no more rows, writes the queued ones (trying a busy file again
    // as usual) and ends the thread, waiting at most timeoutMs. True when
    // the thread has ended with every row taken written or counted failed.
    bool finish(int timeoutMs);

    // Waits until every row added so far has been tried, at most timeoutMs;
    // for tests and benchmarks.
    bool waitWritten(int timeoutMs);

    struct Counts {
        std::uint64_t written = 0;  // committed
        std::uint64_t failed = 0;   // refused by SQLite other than busy
        std::uint64_t dropped = 0;  // past the queue's cap, or by dropQueued()
        std::size_t queued = 0;     // waiting, the transaction being written included
    };
    Counts counts() const;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    bool started_ = false;
};
