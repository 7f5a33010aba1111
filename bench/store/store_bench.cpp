// Figures of the data store on real files, one line each:
//   log INSERT rate through SqliteDB::execute, one statement per transaction;
//   the log writer's rate with many threads handing rows over at once, and
//   the time a row's hand-over takes;
//   log query (open + requery + reading 1000 rows) in its four condition
//   forms on 1,000,000 log rows, matches dense and sparse;
//   the start-up scan of serverlist for 100, 1,000 and 10,000 hosts.
// Usage: qerno-store-bench [DIR] [LOG_ROWS]   (files are made in DIR, default
// the system's temporary directory, and removed afterwards).
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "monitor/log_writer.h"
#include "runtime/datetime.h"
#include "store/date_text.h"
#include "store/host_record.h"
#include "store/log_reads.h"
#include "store/log_upkeep.h"
#include "store/schema.h"
#include "store/sqlite_dataset.h"
#include "store/sqlite_db.h"
#include "store/sqlite_table.h"
#include "store/statements.h"

namespace {

using Clock = std::chrono::steady_clock;

// Every log query form on a million rows answers within this (a frozen
// window for as long as it takes).
constexpr double kLogQueryTargetMs = 50;
// 1,800 hosts failing at once, at most a cycle a second each.
constexpr double kLogWriterTargetRowsPerSecond = 1800;
// A task's hand-over must never be a wait for the file.
constexpr double kLogHandOverTargetMs = 1;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct BenchFile {
    explicit BenchFile(const std::string& dir, const char* name) : path(dir + "/" + name) { remove(); }
    ~BenchFile() { remove(); }
    void remove() const {
        for (const char* extra : {"", "-wal", "-shm", "-journal"})
            std::remove((path + extra).c_str());
    }
    std::string path;
};

// `journal`: the file's own WAL mode, or the rollback journal for comparison.
void logInsertRate(const std::string& dir, const char* journal) {
    BenchFile file(dir, "bench-insert.db");
    SqliteDB db;
    if (!CreateDatabaseFile(Text(file.path)) || !db.open(Text(file.path))) return;
    if (std::string(journal) != "wal") db.execute(Text("PRAGMA journal_mode=") + journal);
    const Text date = FormatDateTime();
    constexpr int kRows = 2000;
    const auto start = Clock::now();
    int ok = 0;
    for (int i = 0; i < kRows; ++i)
        ok += db.execute(LogInsertSql("主机", "10.0.0.5", i % 2000, 1000, 0x606060, date, 4));
    const double ms = msSince(start);
    std::printf("log insert (%s journal), one row per transaction: %.0f rows/s (%d rows in %.0f ms)\n",
                journal, ok * 1000.0 / ms, ok, ms);
}

// Threads hand rows over as fast as they can (far faster than failing
// cycles come) while the writer writes them: the rate is the writer's, from
// the first row to the last one committed. Then they hand a row over every
// 10 ms each, as tasks do now and then (not all runnable at once, which on
// two cores would time the scheduler): the hand-over's p99 and longest.
// Fewer threads than hosts: under Wine a 32-bit process holds no more than
// about 1,800 in all.
void logWriterFigures(const std::string& dir) {
    constexpr int kThreads = 200, kRowsEach = 100;
    constexpr auto kPacedInterval = std::chrono::milliseconds(10);
    BenchFile file(dir, "bench-writer.db");
    if (!CreateDatabaseFile(Text(file.path))) return;
    LogWriter writer;
    if (!writer.start(Text(file.path))) return;
    const Text date = FormatDateTime();
    std::vector<std::vector<double>> handOvers(kThreads);
    auto run = [&](bool paced) {
        std::vector<std::thread> tasks;
        for (int t = 0; t < kThreads; ++t)
            tasks.emplace_back([&, t] {
                for (int i = 0; i < kRowsEach; ++i) {
                    Text row = LogInsertSql("主机", "10.0.0.5", t, 1000, 0x606060, date, 4);
                    const auto added = Clock::now();
                    writer.add(std::move(row));
                    if (!paced) continue;
                    handOvers[t].push_back(msSince(added));
                    std::this_thread::sleep_for(kPacedInterval);
                }
            });
        for (std::thread& t : tasks) t.join();
        writer.waitWritten(60000);
    };
    const auto start = Clock::now();
    run(false);
    const double ms = msSince(start);
    const LogWriter::Counts c = writer.counts();
    const double rate = c.written * 1000.0 / ms;
    std::printf("log writer, %d threads handing over %d rows at once: %.0f rows/s written (%llu written,"
                " %llu dropped, %llu failed), target %.0f rows/s: %s\n",
                kThreads, kThreads * kRowsEach, rate, static_cast<unsigned long long>(c.written),
                static_cast<unsigned long long>(c.dropped), static_cast<unsigned long long>(c.failed),
                kLogWriterTargetRowsPerSecond, rate >= kLogWriterTargetRowsPerSecond ? "ok" : "short");
    run(true);
    writer.finish(10000);
    std::vector<double> all;
    for (const std::vector<double>& one : handOvers) all.insert(all.end(), one.begin(), one.end());
    std::sort(all.begin(), all.end());
    const double p99 = all[all.size() * 99 / 100];
    std::printf("log writer, a row's hand-over with %d threads each every %lld ms: p99 %.3f ms, longest %.2f ms,"
                " target p99 %.0f ms: %s\n",
                kThreads, static_cast<long long>(kPacedInterval.count()), p99, all.back(), kLogHandOverTargetMs,
                p99 <= kLogHandOverTargetMs ? "ok" : "short");
}

// 1,000,000 log rows, one per second from 2016-01-01; every 1000th row is a
// timeout (type 4, sparse), the rest abnormal latency (type 3, dense).
bool fillLog(SqliteDB& db, int rows) {
    sqlite3* c = db.connection();
    sqlite3_stmt* stmt = nullptr;
    if (!db.beginTransaction() ||
        sqlite3_prepare_v2(c, "insert into record (name, ip, list_id, time, color, date, type) "
                              "values ('host', '10.0.0.5', ?1, 250, 255, ?2, ?3)",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    const DateTime base = dateTimeFromCivil(CivilTime{2016, 1, 1, 0, 0, 0});
    for (int i = 0; i < rows; ++i) {
        const Text date = FormatDateTime(DateTime{base.value + i / 86400.0});
        sqlite3_bind_int(stmt, 1, i % 100);
        sqlite3_bind_text(stmt, 2, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(stmt, 3, i % 1000 == 999 ? 4 : 3);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return db.commitTransaction();
}

Text dateAfter(int seconds) {
    const DateTime base = dateTimeFromCivil(CivilTime{2016, 1, 1, 0, 0, 0});
    return FormatDateTime(DateTime{base.value + seconds / 86400.0});
}

// open + requery + reading every field of up to 1000 rows; the median of runs.
double queryMs(SqliteDB& db, const Text& sql, int& rows) {
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        const auto start = Clock::now();
        SqliteDataset ds;
        ds.open(sql, db);
        ds.requery();
        rows = ds.recordCount();
        ds.moveNext();
        while (true) {
            int id = 0, listId = 0, time = 0, color = 0, type = 0;
            Text name, ip, date;
            if (!ds.read("id", id)) break;
            ds.read("name", name);
            ds.read("ip", ip);
            ds.read("list_id", listId);
            ds.read("time", time);
            ds.read("color", color);
            ds.read("date", date);
            ds.read("type", type);
            ds.moveNext();
        }
        runs.push_back(msSince(start));
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

void logQueries(const std::string& dir, int logRows) {
    BenchFile file(dir, "bench-query.db");
    SqliteDB db;
    if (!CreateDatabaseFile(Text(file.path)) || !db.open(Text(file.path))) return;
    const auto fillStart = Clock::now();
    if (!fillLog(db, logRows)) return;
    std::fprintf(stderr, "(filled %d log rows in %.0f ms)\n", logRows, msSince(fillStart));
    // What start-up's upkeep does on a file that grew: statistics, on a
    // connection of its own (the program's stays open, as here).
    const auto upkeepStart = Clock::now();
    const bool upkept = KeepLogIndexesCurrent(Text(file.path));
    std::printf("log statistics (ANALYZE) of %d rows, in the background: %.0f ms%s\n", logRows,
                msSince(upkeepStart), upkept ? "" : " (failed)");
    // The program's connection reads the log through a memory map.
    if (!MapLogReads(db)) std::printf("log queries: the memory map was refused, pages are read one by one\n");
    const Text all0 = dateAfter(0), allEnd = dateAfter(logRows);
    const Text old0 = dateAfter(0), oldEnd = dateAfter(3599);  // the oldest hour
    const Text mid0 = dateAfter(logRows / 2), midEnd = dateAfter(logRows / 2 + 3599);
    const Text none0 = "2030-01-01 00:00:00", noneEnd = "2030-12-31 23:59:59";
    struct Case {
        const char* name;
        Text condition;
    } cases[] = {
        {"no condition", Text()},
        {"time, dense (all rows)", LogQueryCondition(true, all0, allEnd, 0)},
        {"time, sparse (oldest hour)", LogQueryCondition(true, old0, oldEnd, 0)},
        {"type, dense (3)", LogQueryCondition(false, Text(), Text(), 3)},
        {"type, sparse (4)", LogQueryCondition(false, Text(), Text(), 4)},
        {"time+type, dense", LogQueryCondition(true, all0, allEnd, 3)},
        {"time+type, sparse (oldest hour, 4)", LogQueryCondition(true, old0, oldEnd, 4)},
        {"time, sparse (an hour in the middle)", LogQueryCondition(true, mid0, midEnd, 0)},
        {"time, empty range", LogQueryCondition(true, none0, noneEnd, 0)},
        {"time+type, empty range", LogQueryCondition(true, none0, noneEnd, 3)},
    };
    for (const Case& c : cases) {
        int rows = 0;
        const double ms = queryMs(db, LogQuerySql(c.condition), rows);
        std::printf("log query %s on %d rows: %.1f ms (%d rows listed), target %.0f ms: %s\n", c.name,
                    logRows, ms, rows, kLogQueryTargetMs, ms <= kLogQueryTargetMs ? "ok" : "short");
    }
}

void startUpScan(const std::string& dir, int hosts) {
    BenchFile file(dir, "bench-hosts.db");
    SqliteDB db;
    if (!CreateDatabaseFile(Text(file.path)) || !db.open(Text(file.path))) return;
    db.beginTransaction();
    for (int i = 1; i <= hosts; ++i)
        db.execute(Text("insert into serverlist (servername, serverip, time1, color1, time2, color2, "
                        "time3, color3, time4, color4, auto, record, handle) values ('主机" +
                        std::to_string(i) + "', '10.0.0.5', 30, 32768, 100, 33023, 200, 255, 500, "
                        "6316128, 1, 1, 1234)"));
    db.commitTransaction();

    const auto start = Clock::now();
    db.beginTransaction();
    SqliteTable table;
    openHostTable(table, db);
    const int count = table.recordCount();
    table.moveFirst();
    for (int i = 0; i < count; ++i) {
        // The fields the program's start-up reads, in its order.
        HostRecord host;
        readHostRecord(table, host, {HostField::id, HostField::address, HostField::name,
                                     HostField::logFlag, HostField::autoStart});
        table.edit();
        writeHostRecord(table, host, {HostField::handle});
        table.update();
        table.skip();
    }
    table.close();
    db.commitTransaction();
    const double ms = msSince(start);
    std::printf("start-up scan of %d hosts: %.1f ms (%.1f us per host)\n", hosts, ms,
                ms * 1000.0 / hosts);
}

}  // namespace

int main(int argc, char** argv) {
    std::error_code ec;
    const std::string dir =
        argc > 1 ? argv[1] : std::filesystem::temp_directory_path(ec).string();
    const int logRows = argc > 2 ? std::atoi(argv[2]) : 1000000;
    logInsertRate(dir, "wal");
    logInsertRate(dir, "delete");
    logWriterFigures(dir);
    for (int hosts : {100, 1000, 10000}) startUpScan(dir, hosts);
    logQueries(dir, logRows);
    return 0;
}
