// SqliteDB on real files: the open rules, execute, transactions, close.
#include <gtest/gtest.h>

#include <cstdio>

#include "store/schema.h"
#include "store/sqlite_dataset.h"
#include "store/sqlite_db.h"
#include "tests/store/temp_db.h"

namespace {

TEST(SqliteDB, MissingFileWithoutCreateFailsAndMakesNoFile) {
    TempDbFile file;
    SqliteDB db;
    EXPECT_FALSE(db.open(file.path()));
    EXPECT_FALSE(db.open(file.path(), false));
    EXPECT_FALSE(file.exists());
    EXPECT_FALSE(db.isOpen());
    EXPECT_FALSE(db.execute("select 1"));
    EXPECT_EQ(db.lastInsertRowId(), 0);
}

TEST(SqliteDB, InMemoryOnlyWithCreate) {
    SqliteDB db;
    for (const char* name : {"", ":memory:"}) {
        EXPECT_FALSE(db.open(name)) << name;
        ASSERT_TRUE(db.open(name, true)) << name;
        EXPECT_TRUE(db.execute("create table t (a)"));
        EXPECT_TRUE(db.execute("insert into t values (1)"));
        EXPECT_EQ(db.lastInsertRowId(), 1);
        EXPECT_TRUE(db.close());
    }
}

TEST(SqliteDB, CreateFlagMakesTheFileAndAPlainOpenFindsIt) {
    for (const char* suffix : {".db", "-数据库.db"}) {
        TempDbFile file(suffix);
        SqliteDB db;
        ASSERT_TRUE(db.open(file.path(), true)) << suffix;
        EXPECT_TRUE(db.execute("create table t (a)"));
        EXPECT_TRUE(db.close());
        EXPECT_TRUE(file.exists());
        ASSERT_TRUE(db.open(file.path()));
        EXPECT_TRUE(db.execute("insert into t values ('网络')"));
    }
}

TEST(SqliteDB, ExecuteReportsErrorsAsFalse) {
    SqliteDB db;
    ASSERT_TRUE(db.open(":memory:", true));
    EXPECT_FALSE(db.execute(""));
    EXPECT_FALSE(db.execute("selec 1"));
    EXPECT_FALSE(db.execute("insert into missing values (1)"));
    // A byte that is not GBK runs as "?", as the system's conversion makes it.
    EXPECT_TRUE(db.execute(Text("select '\x81'")));
    EXPECT_TRUE(db.execute("select 1"));
}

TEST(SqliteDB, TransactionsCommitTogether) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    EXPECT_TRUE(db.beginTransaction());
    EXPECT_FALSE(db.beginTransaction());  // no nesting
    EXPECT_TRUE(db.execute("insert into serverlist (servername) values ('a')"));
    EXPECT_TRUE(db.execute("insert into serverlist (servername) values ('b')"));
    EXPECT_EQ(db.lastInsertRowId(), 2);
    EXPECT_TRUE(db.commitTransaction());
    EXPECT_FALSE(db.commitTransaction());
    ASSERT_TRUE(db.close());
    ASSERT_TRUE(db.open(file.path()));
    EXPECT_EQ(queryInt(db, "select count(*) from serverlist"), 2);
}

TEST(SqliteDB, CloseIsBusyWhileADatasetHoldsAStatement) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    SqliteDataset ds;
    ASSERT_TRUE(ds.open("select * from serverlist", db));
    EXPECT_FALSE(db.close());
    EXPECT_TRUE(db.execute("select 1"));  // still open and working
    ds.close();
    EXPECT_TRUE(db.close());
    EXPECT_TRUE(db.close());  // nothing open
    EXPECT_FALSE(db.execute("select 1"));
    EXPECT_FALSE(db.beginTransaction());
}

TEST(SqliteDB, OpenReplacesTheConnection) {
    TempDbFile a, b;
    SqliteDB db;
    ASSERT_TRUE(db.open(a.path(), true));
    ASSERT_TRUE(db.execute("create table only_a (x)"));
    ASSERT_TRUE(db.open(b.path(), true));
    EXPECT_FALSE(db.execute("select * from only_a"));
    EXPECT_FALSE(db.open(Text()));  // fails after closing what was open
    EXPECT_FALSE(db.isOpen());
}

}  // namespace
