#include "history/history_writer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <iterator>
#include <mutex>
#include <optional>
#include <utility>

#include "runtime/thread.h"

struct HistoryWriter::Shared {
    explicit Shared(std::size_t maxRows) : maxBacklogRows(maxRows) {}

    const std::size_t maxBacklogRows;
    HistoryStore store;  // the writer thread's alone once it runs

    mutable std::mutex mutex;
    std::condition_variable wake;   // a hand-over came, or the end is asked
    std::condition_variable tried;  // a round of writes ended
    // Under `mutex`:
    std::vector<PeriodRow> backlog;   // oldest first
    std::vector<PeriodRow> inFlight;  // the transaction being written; the writer alone changes it
    std::vector<std::int32_t> forgotten;
    std::vector<std::int32_t> hostIds;
    std::optional<std::vector<OpenPeriodState>> openStates;
    UtcSeconds now = 0;
    std::uint64_t handed = 0, done = 0;  // batches handed over, batches a round has tried
    bool lastWritten = false;
    bool ending = false;
    ThreadHandle thread = 0;  // the owner's
};

namespace {

using Shared = HistoryWriter::Shared;

// The pause between two transactions of a round, cut short by the end.
void pauseBetweenTransactions(Shared& s, bool& first) {
    if (std::exchange(first, false)) return;
    std::unique_lock<std::mutex> lock(s.mutex);
    s.wake.wait_for(lock, std::chrono::milliseconds(kHistoryPauseBetweenTransactionsMs), [&s] { return s.ending; });
}

// The backlog, a transaction at a time. A transaction that fails puts its
// rows back in front, where they were.
bool writeBacklog(Shared& s, bool& first) {
    for (;;) {
        pauseBetweenTransactions(s, first);
        {
            const std::lock_guard<std::mutex> lock(s.mutex);
            if (s.backlog.empty()) return true;
            const auto end = s.backlog.begin() +
                             static_cast<std::ptrdiff_t>(std::min(kHistoryRowsPerTransaction, s.backlog.size()));
            s.inFlight.assign(std::make_move_iterator(s.backlog.begin()), std::make_move_iterator(end));
            s.backlog.erase(s.backlog.begin(), end);
        }
        HistoryTransaction transaction(s.store);
        const bool written = transaction.begun() && s.store.writeRows(s.inFlight);
        {
            // The commit and the rows leaving the backlog are one step for
            // closedRows(), which reads the file and the backlog as one.
            const std::lock_guard<std::mutex> lock(s.mutex);
            if (written && transaction.commit()) {
                s.inFlight.clear();
            } else {
                s.backlog.insert(s.backlog.begin(), std::make_move_iterator(s.inFlight.begin()),
                                 std::make_move_iterator(s.inFlight.end()));
                s.inFlight.clear();
                trimBacklog(s.backlog, s.maxBacklogRows);
                return false;
            }
        }
        s.store.checkpoint();  // keeps the log's own commits from ever running the copy
    }
}

// After the rows: a host deleted after its last rows were handed over has
// them written and then removed.
bool forgetHosts(Shared& s, bool& first) {
    std::vector<std::int32_t> hosts;
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        hosts = s.forgotten;
    }
    for (std::int32_t id : hosts) {
        pauseBetweenTransactions(s, first);
        HistoryTransaction transaction(s.store);
        if (!transaction.begun() || !s.store.forgetHost(id) || !transaction.commit()) return false;
        const std::lock_guard<std::mutex> lock(s.mutex);
        s.forgotten.erase(std::find(s.forgotten.begin(), s.forgotten.end(), id));
    }
    return true;
}

// Open states come only at start and at the end, while no task logs: one
// transaction, so the kept states are never half replaced.
bool saveOpenStates(Shared& s, bool& first) {
    std::optional<std::vector<OpenPeriodState>> states;
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        states = std::exchange(s.openStates, std::nullopt);
    }
    if (!states) return true;
    pauseBetweenTransactions(s, first);
    HistoryTransaction transaction(s.store);
    if (transaction.begun() && s.store.saveOpenStates(*states) && transaction.commit()) return true;
    const std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.openStates) s.openStates = std::move(states);  // unless newer ones came meanwhile
    return false;
}

bool prune(Shared& s, bool& first) {
    std::vector<std::int32_t> hosts;
    UtcSeconds now = 0;
    {
        const std::lock_guard<std::mutex> lock(s.mutex);
        hosts = s.hostIds;
        now = s.now;
    }
    pauseBetweenTransactions(s, first);
    HistoryTransaction transaction(s.store);
    return transaction.begun() && s.store.pruneBatch(hosts, now) && transaction.commit();
}

// One round: everything handed over so far. The first failure ends it
// (the file is busy or full): the rest waits for the next hand-over.
bool writeRound(Shared& s) {
    bool first = true;
    const bool written = writeBacklog(s, first) && forgetHosts(s, first) && saveOpenStates(s, first) &&
                         prune(s, first);
    s.store.checkpoint();
    return written;
}

int writerThread(std::uintptr_t argument) {
    const std::unique_ptr<std::shared_ptr<Shared>> held(reinterpret_cast<std::shared_ptr<Shared>*>(argument));
    Shared& s = **held;
    for (;;) {
        std::uint64_t target = 0;
        {
            std::unique_lock<std::mutex> lock(s.mutex);
            s.wake.wait(lock, [&s] { return s.ending || s.handed != s.done; });
            if (s.handed == s.done) break;  // the end, with everything tried
            target = s.handed;
        }
        const bool written = writeRound(s);
        {
            const std::lock_guard<std::mutex> lock(s.mutex);
            s.done = target;
            s.lastWritten = written && s.backlog.empty() && s.forgotten.empty() && !s.openStates;
        }
        s.tried.notify_all();
    }
    s.store.close();
    return 0;
}

}  // namespace

HistoryWriter::HistoryWriter(std::size_t maxBacklogRows) : shared_(std::make_shared<Shared>(maxBacklogRows)) {}

HistoryWriter::~HistoryWriter() {
    if (!started_) return;
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->ending = true;
    }
    shared_->wake.notify_all();
    closeThreadHandle(shared_->thread);
}

bool HistoryWriter::start(const Text& path) {
    if (started_ || !shared_->store.open(path)) return false;
    auto* held = new std::shared_ptr<Shared>(shared_);
    if (!startThread(writerThread, reinterpret_cast<std::uintptr_t>(held), &shared_->thread)) {
        delete held;
        shared_->store.close();
        return false;
    }
    started_ = true;
    return true;
}

bool HistoryWriter::running() const { return started_; }

void HistoryWriter::handOver(HistoryBatch batch) {
    {
        Shared& s = *shared_;
        const std::lock_guard<std::mutex> lock(s.mutex);
        for (std::int32_t id : batch.forgotten) {
            // Rows of a deleted host not yet written need not be.
            s.backlog.erase(std::remove_if(s.backlog.begin(), s.backlog.end(),
                                           [id](const PeriodRow& row) { return row.hostId == id; }),
                            s.backlog.end());
            if (std::find(s.forgotten.begin(), s.forgotten.end(), id) == s.forgotten.end()) s.forgotten.push_back(id);
        }
        if (s.backlog.empty())
            s.backlog = std::move(batch.rows);
        else
            s.backlog.insert(s.backlog.end(), std::make_move_iterator(batch.rows.begin()),
                             std::make_move_iterator(batch.rows.end()));
        trimBacklog(s.backlog, s.maxBacklogRows);
        s.hostIds = std::move(batch.hostIds);
        if (batch.openStates) s.openStates = std::move(batch.openStates);
        s.now = batch.now;
        ++s.handed;
    }
    shared_->wake.notify_one();
}

bool HistoryWriter::finish(HistoryBatch last, int timeoutMs) {
    handOver(std::move(last));
    if (!started_) return false;
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->ending = true;
    }
    shared_->wake.notify_one();
    const bool ended = waitThread(shared_->thread, timeoutMs);
    closeThreadHandle(std::exchange(shared_->thread, 0));
    started_ = false;
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return ended && shared_->done == shared_->handed && shared_->lastWritten;
}

std::vector<StoredPeriod> HistoryWriter::closedRows(HistoryStore& reader, std::int32_t hostId, int period,
                                                    UtcSeconds from, UtcSeconds to) const {
    const Shared& s = *shared_;
    const std::lock_guard<std::mutex> lock(s.mutex);
    std::vector<StoredPeriod> rows;
    if (reader.isOpen()) rows = reader.rows(hostId, period, from, to);
    for (const std::vector<PeriodRow>* unwritten : {&s.inFlight, &s.backlog})
        for (const PeriodRow& row : *unwritten)
            if (row.hostId == hostId && row.period == period && row.start >= from && row.start < to)
                rows.push_back({row.start, row.figures});
    return rows;
}

bool HistoryWriter::waitWritten(int timeoutMs) {
    Shared& s = *shared_;
    std::unique_lock<std::mutex> lock(s.mutex);
    return s.tried.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&s] { return s.done == s.handed; }) &&
           s.lastWritten;
}

std::size_t HistoryWriter::backlogRows() const {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->backlog.size() + shared_->inFlight.size();
}
