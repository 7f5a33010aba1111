// SqliteDataset on a real file: the query order of the log page and the
// host dialog, and reads outside a row.
#include <gtest/gtest.h>

#include "store/sqlite_dataset.h"
#include "store/sqlite_db.h"
#include "tests/store/temp_db.h"

namespace {

class DatasetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(openWithSchema(db, file));
        ASSERT_TRUE(db.execute("insert into record (name, time, type) values "
                               "('甲', 10, 3), ('b', 20, 4), ('c', 30, 4)"));
    }
    TempDbFile file;
    SqliteDB db;
};

TEST_F(DatasetTest, CountsThenVisitsEveryRow) {
    SqliteDataset ds;
    EXPECT_EQ(ds.recordCount(), 0);
    EXPECT_TRUE(ds.isBeforeFirst());
    ASSERT_TRUE(ds.open("select * from record order by id desc", db));
    ASSERT_TRUE(ds.requery());
    EXPECT_EQ(ds.recordCount(), 3);
    EXPECT_TRUE(ds.isBeforeFirst());
    int before = 5;
    Text beforeText = "x";
    EXPECT_FALSE(ds.read("time", before));
    EXPECT_FALSE(ds.read("name", beforeText));
    EXPECT_EQ(before, 0);
    EXPECT_EQ(beforeText, Text());

    std::string seen;
    while (ds.moveNext()) {
        EXPECT_FALSE(ds.isBeforeFirst());
        Text name;
        int time = 0;
        std::int64_t type = 0;
        EXPECT_TRUE(ds.read("NAME", name));
        EXPECT_TRUE(ds.read(5, time));
        EXPECT_TRUE(ds.read(8.7, type));
        seen += name.str() + std::to_string(time) + std::to_string(type) + ";";
    }
    EXPECT_EQ(seen, "c304;b204;甲103;");
    int after = 5;
    EXPECT_FALSE(ds.read("time", after));
    EXPECT_EQ(after, 0);
    EXPECT_FALSE(ds.moveNext());

    // A second requery counts again and rewinds.
    ASSERT_TRUE(ds.requery());
    EXPECT_EQ(ds.recordCount(), 3);
    ASSERT_TRUE(ds.moveNext());
    Text name;
    EXPECT_TRUE(ds.read("name", name));
    EXPECT_EQ(name, Text("c"));
}

TEST_F(DatasetTest, UnknownFieldsLeaveTheVariable) {
    SqliteDataset ds;
    ASSERT_TRUE(ds.open("select name, 1 as 名称 from record", db));
    ASSERT_TRUE(ds.moveNext());  // a single-row lookup needs no requery
    int value = 7;
    EXPECT_FALSE(ds.read("nosuch", value));
    EXPECT_FALSE(ds.read(0, value));
    EXPECT_FALSE(ds.read(Text(), value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(ds.read("名称", value));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(ds.read(3, value));  // no such column in this row
    EXPECT_EQ(value, 0);
}

TEST_F(DatasetTest, EmptyResultAndFailedOpens) {
    SqliteDataset ds;
    ASSERT_TRUE(ds.open("select * from record where type = 9", db));
    EXPECT_TRUE(ds.requery());
    EXPECT_EQ(ds.recordCount(), 0);
    EXPECT_FALSE(ds.moveNext());
    // A failing open keeps the statement that was there.
    EXPECT_FALSE(ds.open("select * from nosuch", db));
    EXPECT_FALSE(ds.open("", db));
    SqliteDB closed;
    EXPECT_FALSE(ds.open("select 1", closed));
    ASSERT_TRUE(ds.requery());
    EXPECT_EQ(ds.recordCount(), 0);
    // Reopening replaces the statement and drops the count.
    ASSERT_TRUE(ds.open("select * from record", db));
    EXPECT_EQ(ds.recordCount(), 0);
    ASSERT_TRUE(ds.requery());
    EXPECT_EQ(ds.recordCount(), 3);
    EXPECT_TRUE(ds.close());
    EXPECT_FALSE(ds.requery());
    EXPECT_FALSE(ds.moveNext());
    EXPECT_TRUE(db.close());  // nothing left unfinished
}

TEST_F(DatasetTest, NullColumnsReadAsZeroAndEmpty) {
    SqliteDataset ds;
    ASSERT_TRUE(ds.open("select ip, color from record", db));
    ASSERT_TRUE(ds.moveNext());
    Text ip = "x";
    int color = 3;
    EXPECT_TRUE(ds.read("ip", ip));
    EXPECT_TRUE(ds.read("color", color));
    EXPECT_EQ(ip, Text());
    EXPECT_EQ(color, 0);
}

}  // namespace
