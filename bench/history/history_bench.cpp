// Figures of the history, one line each, against their targets:
//   memory of 2,000 hosts with an hour of cycles each (the heap's bytes in
//   use before and after: mallinfo2 natively, a walk of the process's heaps
//   under Windows, where the runtime already owns operator new);
//   the minute's flush of 2,000 hosts (user-interface time: the hand-over
//   to the writer thread), at a plain minute and at an hour's end (every
//   kind closing at once), and beside it the writer thread's time;
//   the database's size after a generated year of 100 hosts, and at the
//   steady state of the default retention (two years of hours);
//   under Wine also the drawing time of each graph range on a year.
// Usage: qerno-history-bench [DIR]   (files are made in DIR and removed).
#include "bench/history/history_bench.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <malloc.h>
#endif

#include "history/history_flush.h"
#include "store/schema.h"

namespace {

// Bytes the program's heaps hand out at this moment.
long long heapBytesInUse() {
#ifdef _WIN32
    std::vector<HANDLE> heaps(64);
    const DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    long long total = 0;
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        PROCESS_HEAP_ENTRY entry{};
        if (!HeapLock(heaps[i])) continue;
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
#else
    return static_cast<long long>(mallinfo2().uordblks);
#endif
}

constexpr int kHosts = 2000;
constexpr int kSizeHosts = 100;
constexpr UtcSeconds kNow = 1765350000 / 3600 * 3600;  // a whole hour
constexpr double kMemoryTargetMb = 40, kFlushTargetMs = 20, kSizeTargetMbPerHost = 2.5;
constexpr double kMb = 1024.0 * 1024.0;
constexpr UtcSeconds kYear = 365 * kSecondsPerDay;

Cycle cycleAt(UtcSeconds t, int host) {
    const bool lost = (t + host) % 97 == 0;
    return {!lost, lost ? 0 : 20 + static_cast<int>((t + host) % 13), lost ? 4 : 0};
}

struct BenchFile {
    explicit BenchFile(const std::string& dir, const char* name) : path(dir + "/" + name) { remove(); }
    ~BenchFile() { remove(); }
    void remove() const {
        for (const char* extra : {"", "-wal", "-shm", "-journal"}) std::remove((path + extra).c_str());
    }
    std::string path;
};

long long fileBytes(const std::string& path) {
    long long total = 0;
    for (const char* extra : {"", "-wal"}) {
        if (FILE* f = std::fopen((path + extra).c_str(), "rb")) {
            std::fseek(f, 0, SEEK_END);
            total += std::ftell(f);
            std::fclose(f);
        }
    }
    return total;
}

constexpr int kWriteWaitMs = 60 * 1000;

// Feeds every host an hour of cycles, one a second, ending just before
// `end`, written once a minute as the program does.
void feedHour(HistoryBook& book, HistoryWriter& writer, UtcSeconds end) {
    for (UtcSeconds t = end - kRecentSeconds; t < end; ++t) {
        for (int host = 1; host <= kHosts; ++host) book.record(host, t, cycleAt(t, host));
        if (t % kMinutePeriod == 0) {
            flushHistory(book, writer, t);
            writer.waitWritten(kWriteWaitMs);
        }
    }
}

// One minute's hand-over: the user-interface thread's time against its
// target, and the writer thread's (its transactions, pauses between them
// and checkpoints) for information.
void benchFlush(const char* name, HistoryBook& book, HistoryWriter& writer, UtcSeconds now) {
    const auto start = BenchClock::now();
    flushHistory(book, writer, now);
    report(name, msSince(start), "ms", kFlushTargetMs);
    const bool written = writer.waitWritten(kWriteWaitMs);
    std::printf("(the writer thread's batch: %.0f ms%s)\n", msSince(start), written ? "" : ", FAILED");
}

void benchMemoryAndFlush(const std::string& dir) {
    BenchFile file(dir, "bench-history.db");
    SqliteDB shared;
    if (!CreateDatabaseFile(Text(file.path)) || !shared.open(Text(file.path))) return;
    HistoryWriter writer;
    if (!writer.start(Text(file.path))) return;
    const long long before = heapBytesInUse();
    HistoryBook book;
    // An hour up to a minute before the hour, written minute by minute.
    feedHour(book, writer, kNow - kMinutePeriod);
    report("memory, 2,000 hosts with an hour of cycles", (heapBytesInUse() - before) / kMb, "MB", kMemoryTargetMb);

    // A plain minute: the first cycles of the next minute close it.
    for (int host = 1; host <= kHosts; ++host) book.record(host, kNow - kMinutePeriod, cycleAt(kNow - kMinutePeriod, host));
    benchFlush("flush of a minute, 2,000 hosts (user-interface thread)", book, writer, kNow - kMinutePeriod);
    // The hour's end: minute, 10-minute and hour rows close together.
    for (UtcSeconds t = kNow - kMinutePeriod + 1; t <= kNow; ++t)
        for (int host = 1; host <= kHosts; ++host) book.record(host, t, cycleAt(t, host));
    benchFlush("flush at an hour's end, 2,000 hosts (user-interface thread)", book, writer, kNow);
    writer.finish({}, kWriteWaitMs);
}

void benchSize(const std::string& dir) {
    for (const auto& [label, hourSpan] : {std::pair<const char*, UtcSeconds>{"a year", kYear},
                                          {"steady state (two years of hours)", 2 * kYear}}) {
        BenchFile file(dir, "bench-history-size.db");
        SqliteDB shared;
        if (!CreateDatabaseFile(Text(file.path)) || !shared.open(Text(file.path))) return;
        HistoryStore store;
        if (!store.open(Text(file.path))) return;
        const long long empty = fileBytes(file.path);
        const auto start = BenchClock::now();
        generateYear(store, kSizeHosts, kNow, hourSpan);
        store.database().execute("PRAGMA wal_checkpoint(TRUNCATE)");
        const double perHost = (fileBytes(file.path) - empty) / kMb / kSizeHosts;
        std::printf("(%s of 100 hosts generated in %.0f ms)\n", label, msSince(start));
        report((std::string("database growth per host, ") + label).c_str(), perHost, "MB", kSizeTargetMbPerHost);
    }
}

#ifdef QERNO_BENCH_DRAWING
void benchGraph(const std::string& dir) {
    BenchFile file(dir, "bench-history-graph.db");
    SqliteDB shared;
    if (!CreateDatabaseFile(Text(file.path)) || !shared.open(Text(file.path))) return;
    HistoryStore store;
    if (!store.open(Text(file.path))) return;
    generateYear(store, 1, kNow, kYear);
    HistoryBook book;
    for (UtcSeconds t = kNow - kRecentSeconds; t < kNow; ++t) book.record(1, t, cycleAt(t, 1));
    benchDrawing(book, store, kNow);
}
#endif

}  // namespace

void report(const char* name, double value, const char* unit, double target) {
    std::printf("%s: %.1f %s (target <= %.1f %s) %s\n", name, value, unit, target, unit,
                value <= target ? "ok" : "short");
}

void generateYear(HistoryStore& store, int hosts, UtcSeconds now, UtcSeconds hourSpan) {
    SqliteDB& db = store.database();
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db.connection(),
                       "INSERT INTO history (list_id, period, start, sent, lost, min, avg, max, p50, p90, jitter)"
                       " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)",
                       -1, &insert, nullptr);
    db.execute("BEGIN");
    for (int host = 1; host <= hosts; ++host) {
        for (std::size_t kind = 0; kind < kPeriodKinds; ++kind) {
            const int period = kPeriods[kind];
            const UtcSeconds span = kind + 1 == kPeriodKinds ? hourSpan : kRetentionSeconds[kind];
            for (UtcSeconds t = periodStart(now - span, period); t < now; t += period) {
                const std::string start = utcText(t);
                const int base = 20 + static_cast<int>((t / period + host) % 40);
                const int values[] = {host, period, 0, period, static_cast<int>((t / period) % 50 == 0),
                                      base - 4, base, base + 30, base, base + 8, 3};
                for (int i = 0; i < 11; ++i)
                    if (i != 2) sqlite3_bind_int(insert, i + 1, values[i]);
                sqlite3_bind_text(insert, 3, start.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_step(insert);
                sqlite3_reset(insert);
            }
        }
    }
    db.execute("COMMIT");
    sqlite3_finalize(insert);
    // A store's connection leaves the copy back into the file to its owner:
    // reads through a year in the write-ahead log would be measured.
    store.checkpoint();
}

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    benchMemoryAndFlush(dir);
    benchSize(dir);
#ifdef QERNO_BENCH_DRAWING
    benchGraph(dir);
#endif
    return 0;
}
