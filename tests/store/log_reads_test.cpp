// The program's connection reads through a memory map: the map takes, and
// what other connections write afterwards (the log writer's rows, a clear,
// a file grown past the mapped size by a checkpoint) is what it reads.
#include <gtest/gtest.h>

#include <string>

#include "store/log_reads.h"
#include "store/sqlite_db.h"
#include "store/statements.h"
#include "tests/store/temp_db.h"

namespace {

// `rows` log rows of `name` written on `db` in one transaction.
void writeLogRows(SqliteDB& db, const std::string& name, int rows) {
    ASSERT_TRUE(db.beginTransaction());
    for (int i = 0; i < rows; ++i)
        ASSERT_TRUE(db.execute(LogInsertSql(Text(name), "10.0.0.5", 1, 250, 255, "2026-12-11 10:00:00", 4)));
    ASSERT_TRUE(db.commitTransaction());
}

TEST(LogReads, TheMappedConnectionReadsWhatOtherConnectionsWrite) {
    TempDbFile file;
    SqliteDB program;
    ASSERT_TRUE(openWithSchema(program, file));
    ASSERT_TRUE(MapLogReads(program));
    EXPECT_EQ(queryInt(program, "PRAGMA mmap_size"), kLogReadsMapBytes);
    writeLogRows(program, "mapped", 100);
    EXPECT_EQ(queryInt(program, "select count(*) from record"), 100);  // read through the map from here on

    // Another connection (the log writer's) writes enough to grow the file
    // well past what was mapped, and moves it out of the WAL into the file.
    SqliteDB writer;
    ASSERT_TRUE(writer.open(file.path()));
    writeLogRows(writer, "written elsewhere", 20000);
    ASSERT_TRUE(writer.execute("PRAGMA wal_checkpoint(TRUNCATE);"));
    EXPECT_EQ(queryInt(program, "select count(*) from record"), 20100);
    EXPECT_EQ(queryText(program, "select name from record order by id desc limit 1"), "written elsewhere");
    std::string newest = LogQuerySql(Text()).str();
    newest.erase(newest.find_last_of(';'));
    EXPECT_EQ(queryInt(program, "select count(*) from (" + newest + ")"), 1000);

    ASSERT_TRUE(writer.execute(LogClearSql()));
    ASSERT_TRUE(writer.execute("PRAGMA wal_checkpoint(TRUNCATE);"));
    EXPECT_EQ(queryInt(program, "select count(*) from record"), 0);
}

TEST(LogReads, NoConnectionNoMap) {
    SqliteDB closed;
    EXPECT_FALSE(MapLogReads(closed));
}

}  // namespace
