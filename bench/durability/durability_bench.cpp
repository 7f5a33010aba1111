// The log's durability when the program is killed: rows are handed to the
// log writer as the monitor tasks hand them in an outage (1,800 a second),
// the writer commits them in transactions on the file's WAL with the
// build's synchronous setting, and each change of the count committed is
// reported; scripts/bench-durability kills it with SIGKILL and asks the
// checker what the file holds.
//   qerno-durability-bench write FILE   (makes FILE when missing; runs until killed;
//                                        prints "committed N handed M" lines)
//   qerno-durability-bench check FILE   (prints "rows N integrity TEXT")
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "monitor/log_writer.h"
#include "store/date_text.h"
#include "store/schema.h"
#include "store/sqlite_db.h"
#include "store/statements.h"

namespace {

constexpr int kRowsPerSecond = 1800;
constexpr auto kStep = std::chrono::milliseconds(10);
constexpr auto kReportEvery = std::chrono::milliseconds(2);

int writeUntilKilled(const Text& path) {
    LogWriter writer;  // opens only a file that exists
    if (!writer.start(path) && !(CreateDatabaseFile(path) && writer.start(path))) return 1;
    const Text date = FormatDateTime();
    // The tasks: a step's rows every 10 ms.
    std::thread tasks([&writer, &date] {
        const int perStep = kRowsPerSecond / 100;
        for (auto next = std::chrono::steady_clock::now();; next += kStep) {
            for (int i = 0; i < perStep; ++i)
                writer.add(LogInsertSql("主机", "198.18.0.5", i, 1000, 0x606060, date, 4));
            std::this_thread::sleep_until(next + kStep);
        }
    });
    tasks.detach();  // ends with the process, killed
    for (std::uint64_t reported = 0;;) {
        const LogWriter::Counts c = writer.counts();
        if (c.written != reported) {
            // Printed and flushed after the commit: every number the script
            // reads was committed before the kill.
            reported = c.written;
            std::printf("committed %llu handed %llu\n", static_cast<unsigned long long>(c.written),
                        static_cast<unsigned long long>(c.written + c.queued));
            std::fflush(stdout);
        }
        std::this_thread::sleep_for(kReportEvery);
    }
}

std::string firstText(SqliteDB& db, const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db.connection(), sql, -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0))
        out = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    return out;
}

int check(const Text& path) {
    SqliteDB db;
    if (!db.open(path)) return 1;
    std::printf("rows %s integrity %s\n", firstText(db, "SELECT count(*) FROM record").c_str(),
                firstText(db, "PRAGMA integrity_check").c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    if (std::strcmp(argv[1], "write") == 0) return writeUntilKilled(Text(argv[2]));
    if (std::strcmp(argv[1], "check") == 0) return check(Text(argv[2]));
    return 2;
}
