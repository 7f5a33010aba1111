// The log's durability when the program is killed: a writer commits log
// rows as the monitor tasks do (one INSERT per transaction through
// SqliteDB::execute, on the file's WAL with the build's synchronous
// setting) and reports each commit; scripts/bench-durability kills it with
// SIGKILL and asks the checker what the file holds.
//   qerno-durability-bench write FILE   (makes FILE when missing; runs until killed)
//   qerno-durability-bench check FILE   (prints "rows N integrity TEXT")
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "store/date_text.h"
#include "store/schema.h"
#include "store/sqlite_db.h"
#include "store/statements.h"

namespace {

int writeUntilKilled(const Text& path) {
    SqliteDB db;
    if (!db.open(path) && !(CreateDatabaseFile(path) && db.open(path))) return 1;
    const Text date = FormatDateTime();
    for (long long committed = 0;;) {
        if (!db.execute(LogInsertSql("主机", "198.18.0.5", 1, 1000, 0x606060, date, 4))) continue;
        // Written and flushed after the commit returned: every number the
        // script reads was committed before the kill.
        std::printf("%lld\n", ++committed);
        std::fflush(stdout);
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
