// The schema function and the file it makes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "store/schema.h"
#include "store/sqlite_db.h"
#include "tests/store/temp_db.h"

namespace {

std::string columns(SqliteDB& db, const char* table) {
    return queryText(db, std::string("select group_concat(name || ':' || type || ':' || pk, ',') "
                                     "from pragma_table_info('") + table + "')");
}

TEST(Schema, BothTablesWithIntegerRowIdKeys) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    EXPECT_EQ(columns(db, "serverlist"),
              "id:INTEGER:1,servername:TEXT:0,serverip:TEXT:0,time1:INTEGER:0,color1:INTEGER:0,"
              "time2:INTEGER:0,color2:INTEGER:0,time3:INTEGER:0,color3:INTEGER:0,"
              "time4:INTEGER:0,color4:INTEGER:0,auto:INTEGER:0,record:INTEGER:0,handle:INTEGER:0");
    EXPECT_EQ(columns(db, "record"),
              "id:INTEGER:1,name:TEXT:0,ip:TEXT:0,list_id:INTEGER:0,time:INTEGER:0,"
              "color:INTEGER:0,date:TEXT:0,type:INTEGER:0");
    // id is the row id: the value lastInsertRowId reports.
    ASSERT_TRUE(db.execute("insert into serverlist (id, servername) values (41, 'x')"));
    ASSERT_TRUE(db.execute("insert into serverlist (servername) values ('y')"));
    EXPECT_EQ(db.lastInsertRowId(), 42);
    EXPECT_EQ(queryInt(db, "select _ROWID_ from serverlist where servername = 'y'"), 42);
    EXPECT_EQ(queryText(db, "pragma journal_mode"), "wal");
    EXPECT_EQ(queryInt(db, "pragma synchronous"), 2);  // FULL: committed rows survive
    EXPECT_EQ(queryText(db, "select group_concat(name || ':' || tbl_name) from sqlite_master "
                            "where type = 'index'"),
              "record_type:record");
}

TEST(Schema, NeverTouchesAnExistingFile) {
    TempDbFile file;
    { std::ofstream(file.path().str(), std::ios::binary) << "not a database"; }
    EXPECT_FALSE(CreateDatabaseFile(file.path()));
    std::ifstream in(file.path().str(), std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "not a database");

    TempDbFile made;
    ASSERT_TRUE(CreateDatabaseFile(made.path()));
    EXPECT_FALSE(CreateDatabaseFile(made.path()));
    EXPECT_FALSE(CreateDatabaseFile(Text()));
}

TEST(Schema, SchemaTextHoldsEveryStatement) {
    SqliteDB db;
    ASSERT_TRUE(db.open(":memory:", true));
    ASSERT_TRUE(db.execute(SchemaSql()));
    EXPECT_EQ(queryInt(db, "select count(*) from sqlite_master where type = 'table'"), 2);
}

}  // namespace
