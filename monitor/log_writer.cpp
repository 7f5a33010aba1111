#include "monitor/log_writer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <iterator>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "monitor/log_write.h"
#include "monitor/monitor_context.h"
#include "runtime/lock_guard.h"
#include "runtime/thread.h"
#include "store/sqlite_db.h"

struct LogWriter::Shared {
    explicit Shared(std::size_t maxRows) : maxQueuedRows(maxRows) {}

    const std::size_t maxQueuedRows;
    SqliteDB db;  // the writer thread's alone once it runs

    mutable std::mutex mutex;
    std::condition_variable wake;   // a row came, or the end is asked
    std::condition_variable tried;  // a transaction ended
    // Under `mutex`:
    std::deque<Text> queue;  // oldest first
    std::size_t inFlight = 0;  // rows of the transaction being written
    std::uint64_t added = 0;
    Counts counts;
    bool taking = false;  // add() takes rows
    bool ending = false;
    ThreadHandle thread = 0;  // the owner's
};

namespace {

using Shared = LogWriter::Shared;
using Clock = std::chrono::steady_clock;

const char* const kBegin = "BEGIN IMMEDIATE";  // the file's write lock now, or busy now
const char* const kCommit = "COMMIT";
const char* const kRollback = "ROLLBACK";

bool allTried(const Shared& s) { return s.counts.written + s.counts.failed + s.counts.dropped == s.added; }

// Past the cap the oldest rows go: under `mutex`.
void trimQueue(Shared& s) {
    while (s.queue.size() > s.maxQueuedRows) {
        s.queue.pop_front();
        ++s.counts.dropped;
    }
}

enum class Outcome { done, busy };

// Writes the oldest queued rows in one transaction. The rows leave the
// queue under the log lock: dropQueued() (under it too) never finds them
// half written. A busy file puts them back in front, where they were.
Outcome writeTransaction(Shared& s) {
    const LockGuard logLock(monitorLogLock());  // not yet made (0) or already deleted: no lock
    std::vector<Text> rows;
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        const std::size_t n = std::min(kLogRowsPerTransaction, s.queue.size());
        rows.assign(std::make_move_iterator(s.queue.begin()), std::make_move_iterator(s.queue.begin() + n));
        s.queue.erase(s.queue.begin(), s.queue.begin() + n);
        s.inFlight = n;
    }
    if (rows.empty()) return Outcome::done;
    std::uint64_t written = 0, failed = 0;
    bool busy = false;
    if (s.db.execute(kBegin, busy)) {
        for (const Text& row : rows) ++(s.db.execute(row) ? written : failed);
        if (!s.db.execute(kCommit, busy)) {
            s.db.execute(kRollback);
            written = 0;
            failed = busy ? 0 : rows.size();
        }
    } else if (!busy) {
        failed = rows.size();
    }
    const std::lock_guard<std::mutex> lock(s.mutex);
    s.inFlight = 0;
    if (busy) {
        s.queue.insert(s.queue.begin(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
        trimQueue(s);  // rows added meanwhile were capped without these
        return Outcome::busy;
    }
    s.counts.written += written;
    s.counts.failed += failed;
    return Outcome::done;
}

int writerThread(std::uintptr_t argument) {
    const std::unique_ptr<std::shared_ptr<Shared>> held(reinterpret_cast<std::shared_ptr<Shared>*>(argument));
    Shared& s = **held;
    Clock::time_point lastCheckpoint = Clock::now();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(s.mutex);
            s.wake.wait(lock, [&s] { return s.ending || !s.queue.empty(); });
            if (s.queue.empty()) break;  // the end, with everything tried
        }
        const Outcome outcome = writeTransaction(s);
        s.tried.notify_all();
        if (Clock::now() - lastCheckpoint >= std::chrono::milliseconds(kLogCheckpointIntervalMs)) {
            s.db.execute("PRAGMA wal_checkpoint(PASSIVE)");  // copies what it can, waits for no one
            lastCheckpoint = Clock::now();
        }
        if (outcome == Outcome::busy) std::this_thread::sleep_for(std::chrono::milliseconds(kLogBusyRetryMs));
    }
    s.db.close();
    return 0;
}

}  // namespace

LogWriter::LogWriter(std::size_t maxQueuedRows) : shared_(std::make_shared<Shared>(maxQueuedRows)) {}

LogWriter::~LogWriter() {
    if (!started_) return;
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->taking = false;
        shared_->ending = true;
    }
    shared_->wake.notify_all();
    closeThreadHandle(shared_->thread);
}

bool LogWriter::start(const Text& path) {
    Shared& s = *shared_;
    if (started_) return false;
    // The copy back into the file is the writer's own checkpoint's, never a commit's.
    if (!s.db.open(path) || !s.db.setBusyTimeout(kLogWriterBusyWaitMs) ||
        !s.db.execute("PRAGMA synchronous = NORMAL") || !s.db.execute("PRAGMA wal_autocheckpoint = 0")) {
        s.db.close();
        return false;
    }
    auto* held = new std::shared_ptr<Shared>(shared_);
    if (!startThread(writerThread, reinterpret_cast<std::uintptr_t>(held), &s.thread)) {
        delete held;
        s.db.close();
        return false;
    }
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        s.taking = true;
    }
    started_ = true;
    return true;
}

bool LogWriter::add(Text insertSql) {
    Shared& s = *shared_;
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.taking) return false;
        s.queue.push_back(std::move(insertSql));
        ++s.added;
        trimQueue(s);
    }
    s.wake.notify_one();
    return true;
}

void LogWriter::dropQueued() {
    Shared& s = *shared_;
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        s.counts.dropped += s.queue.size();
        s.queue.clear();
    }
    s.tried.notify_all();
}

bool LogWriter::finish(int timeoutMs) {
    if (!started_) return false;
    Shared& s = *shared_;
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        s.taking = false;
        s.ending = true;
    }
    s.wake.notify_one();
    const bool ended = waitThread(s.thread, timeoutMs);
    closeThreadHandle(std::exchange(s.thread, 0));
    started_ = false;
    const std::lock_guard<std::mutex> lock(s.mutex);
    return ended && allTried(s);
}

bool LogWriter::waitWritten(int timeoutMs) {
    Shared& s = *shared_;
    std::unique_lock<std::mutex> lock(s.mutex);
    return s.tried.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&s] { return allTried(s); });
}

LogWriter::Counts LogWriter::counts() const {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    Counts c = shared_->counts;
    c.queued = shared_->queue.size() + shared_->inFlight;
    return c;
}
