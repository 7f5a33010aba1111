// The SQL texts the program composes, byte for byte, and what they do on a
// real database file.
#include <gtest/gtest.h>

#include "runtime/datetime.h"
#include "store/date_text.h"
#include "store/sqlite_dataset.h"
#include "store/sqlite_db.h"
#include "store/statements.h"
#include "tests/store/temp_db.h"

namespace {

TEST(Statements, ComposedTextsAreExact) {
    struct Case {
        Text actual;
        const char* expected;
    } cases[] = {
        {LogInsertSql("web", "10.0.0.5", 7, 250, 255, "2016-12-23 09:05:07", 3),
         "INSERT INTO record (name, ip, list_id, time, color, date, type) VALUES ( 'web', "
         "'10.0.0.5', 7, 250, 255, '2016-12-23 09:05:07',3);"},
        {LogInsertSql("a'b", "x'y", -1, 1000, 0x606060, "2017-01-03 09:05:07", 4),
         "INSERT INTO record (name, ip, list_id, time, color, date, type) VALUES ( 'a''b', "
         "'x''y', -1, 1000, 6316128, '2017-01-03 09:05:07',4);"},
        {HostLoadSql(12), "select * from serverlist where id = 12"},
        {HostDeleteSql(7), "DELETE from serverlist WHERE id = 7"},
        {LogClearSql(), "delete from record"},
        {LogExportSql(Text()), "select date, name, ip, time, type from record order by id desc;"},
        {LogExportSql(LogQueryCondition(false, "", "", 4)),
         "select date, name, ip, time, type from record where type = 4 order by id desc;"},
        {LogExportSql(LogQueryCondition(false, "", "", 4), true),
         "select date, name, ip, time, type from record not indexed where type = 4 order by id desc;"},
        {LogExportCountSql(Text()), "select count(*) from record;"},
        {LogIdSpanSql(), "select max(id) - min(id) + 1 from record;"},
        {LogExportCountSql(LogQueryCondition(true, "2016-12-23 00:00:00", "2016-12-23 23:59:59", 3)),
         "select count(*) from record where date >='2016-12-23 00:00:00' and date <= '2016-12-23 23:59:59' "
         "and type = 3;"},
        {TaskHostCondition(7), "id=7"},
        {HostSaveCondition(7), "id = 7"},
        {BeginTransactionSql(), "BEGIN TRANSACTION "},
        {CommitTransactionSql(), "COMMIT TRANSACTION "},
        {BeginTransactionSql("t1"), "BEGIN TRANSACTION t1"},
        {QuoteSqlText("'"), "''''"},
        {QuoteSqlText(""), "''"},
        {QuoteSqlText("网络'可通"), "'网络''可通'"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.actual, Text(c.expected));
}

TEST(Statements, LogQueryInItsFourConditionForms) {
    const Text start = "2016-12-23 00:00:00", end = "2016-12-23 23:59:59";
    struct Case {
        bool byTime;
        int type;
        const char* expected;
    } cases[] = {
        {false, 0, "select * from record order by id desc limit 1000;"},
        {true, 0,
         "select * from record where date >='2016-12-23 00:00:00' and date <= '2016-12-23 "
         "23:59:59' order by id desc limit 1000;"},
        {false, 3, "select * from record where type = 3 order by id desc limit 1000;"},
        {true, 4,
         "select * from record where date >='2016-12-23 00:00:00' and date <= '2016-12-23 "
         "23:59:59' and type = 4 order by id desc limit 1000;"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LogQuerySql(LogQueryCondition(c.byTime, start, end, c.type)), Text(c.expected))
            << c.byTime << " " << c.type;
}

TEST(Statements, TransactionNameLongerThanThePieceBufferGivesNoStatement) {
    EXPECT_EQ(BeginTransactionSql(Text(std::string(1024 - 19, 'n'))).size(), 1023u);
    EXPECT_TRUE(BeginTransactionSql(Text(std::string(1024 - 18, 'n'))).empty());
    EXPECT_TRUE(CommitTransactionSql(Text(std::string(2000, 'n'))).empty());
}

class StatementsOnFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openWithSchema(db, file)); }
    TempDbFile file;
    SqliteDB db;
};

TEST_F(StatementsOnFile, QuotesInNamesStayInsideTheLogRow) {
    ASSERT_TRUE(db.execute("INSERT INTO serverlist (servername) VALUES ('keep')"));
    const char* names[] = {"a'b", "x'); DELETE FROM serverlist; --", "网络'可通"};
    for (const char* name : names) {
        ASSERT_TRUE(db.execute("delete from record"));
        ASSERT_TRUE(db.execute(LogInsertSql(name, "1.2.3.4'", 1, 5, 6, FormatDateTime(), 4)));
        SqliteDataset ds;
        ASSERT_TRUE(ds.open(LogQuerySql(Text()), db));
        ASSERT_TRUE(ds.requery());
        EXPECT_EQ(ds.recordCount(), 1);
        ASSERT_TRUE(ds.moveNext());
        Text stored, ip;
        EXPECT_TRUE(ds.read("name", stored));
        EXPECT_TRUE(ds.read("ip", ip));
        EXPECT_EQ(stored, Text(name));
        EXPECT_EQ(ip, Text("1.2.3.4'"));
        EXPECT_EQ(queryInt(db, "select count(*) from serverlist"), 1);
    }
}

TEST_F(StatementsOnFile, HostDeleteAndLogClearRemoveTheirRows) {
    ASSERT_TRUE(db.execute("INSERT INTO serverlist (id, servername) VALUES (3, 'a'), (4, 'b')"));
    ASSERT_TRUE(db.execute(LogInsertSql("a", "b", 3, 1, 2, "2016-12-23 09:05:07", 3)));
    EXPECT_TRUE(db.execute(HostDeleteSql(3)));
    EXPECT_EQ(queryInt(db, "select group_concat(id) from serverlist"), 4);
    EXPECT_TRUE(db.execute(LogClearSql()));
    EXPECT_EQ(queryInt(db, "select count(*) from record"), 0);
    SqliteDataset ds;
    ASSERT_TRUE(ds.open(HostLoadSql(4), db));
    ASSERT_TRUE(ds.moveNext());
    Text name;
    EXPECT_TRUE(ds.read("servername", name));
    EXPECT_EQ(name, Text("b"));
}

int countRows(SqliteDB& db, const Text& sql, int* firstId = nullptr) {
    SqliteDataset ds;
    if (!ds.open(sql, db) || !ds.requery()) return -1;
    if (firstId && ds.moveNext()) ds.read("id", *firstId);
    return ds.recordCount();
}

TEST_F(StatementsOnFile, LogQueryBoundsAreInclusiveAndNewestThousandComeFirst) {
    ASSERT_TRUE(db.beginTransaction());
    for (int i = 1; i <= 1005; ++i) {
        const Text date = i % 2 ? "2016-12-23 23:59:59" : "2016-12-24 00:00:00";
        ASSERT_TRUE(db.execute(LogInsertSql("h", "1.1.1.1", 1, i, 0, date, i % 3 ? 3 : 4)));
    }
    ASSERT_TRUE(db.execute(LogInsertSql("h", "1.1.1.1", 1, 0, 0, "2016-12-23 00:00:00", 4)));
    ASSERT_TRUE(db.commitTransaction());
    const Text start = "2016-12-23 00:00:00", end = "2016-12-23 23:59:59";
    int first = 0;
    EXPECT_EQ(countRows(db, LogQuerySql(Text()), &first), 1000);
    EXPECT_EQ(first, 1006);
    EXPECT_EQ(countRows(db, LogQuerySql(LogQueryCondition(true, start, end, 0)), &first), 504);
    EXPECT_EQ(first, 1006);
    EXPECT_EQ(countRows(db, LogQuerySql(LogQueryCondition(false, start, end, 4)), &first), 336);
    EXPECT_EQ(countRows(db, LogQuerySql(LogQueryCondition(true, start, end, 3)), &first), 335);
    EXPECT_EQ(first, 1003);
}

}  // namespace
