// The schema function, the file it makes, and the start-up step that
// completes an existing file.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <sqlite3.h>

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
    // NORMAL: a killed program loses no committed row, a power cut at most
    // the last ones, and the file is never corrupt.
    EXPECT_EQ(queryInt(db, "pragma synchronous"), 1);
    // The log's own indexes; tables added since carry their own.
    EXPECT_EQ(queryText(db, "select group_concat(name || ':' || tbl_name) from sqlite_master "
                            "where type = 'index' and tbl_name in ('serverlist', 'record')"),
              "record_type:record,record_date:record");
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
    const std::vector<SchemaObject> objects = SchemaObjects();
    const auto tables = std::count_if(objects.begin(), objects.end(), [](const SchemaObject& o) {
        return std::string(o.statement).rfind("CREATE TABLE", 0) == 0;
    });
    EXPECT_GE(tables, 2);
    EXPECT_EQ(queryInt(db, "select count(*) from sqlite_master where type = 'table'"), tables);
}

// Each table and index of the file with the statement that made it.
std::string schemaOf(SqliteDB& db) {
    return queryText(db, "select group_concat(name || '=' || sql, '|') from "
                         "(select name, sql from sqlite_master order by name)");
}

// The program's objects, plus the file's own, as schemaOf lists them.
std::string expectedSchema(std::vector<std::pair<std::string, std::string>> objects = {}) {
    for (const SchemaObject& o : SchemaObjects()) {
        std::string statement = o.statement;
        if (!statement.empty() && statement.back() == ';') statement.pop_back();  // SQLite keeps it without
        objects.emplace_back(o.name, statement);
    }
    std::sort(objects.begin(), objects.end());
    std::string all;
    for (const auto& [name, statement] : objects) all += (all.empty() ? "" : "|") + name + "=" + statement;
    return all;
}

// Files from earlier versions, or made by hand, gain what they lack; what
// they hold (rows, tables of their own) stays.
TEST(MissingSchema, CreatesEachMissingObjectByItsOwnStatement) {
    const struct {
        const char* name;
        std::vector<std::string> setup;  // run on a new, empty file
        const char* hosts;               // serverlist's names afterwards
    } cases[] = {
        {"empty file", {}, ""},
        {"only serverlist",
         {SchemaObjects()[0].statement, "insert into serverlist (id, servername) values (5, 'x')"}, "x"},
        {"tables without the index", {SchemaObjects()[0].statement, SchemaObjects()[1].statement}, ""},
    };
    for (const auto& c : cases) {
        TempDbFile file;
        SqliteDB db;
        ASSERT_TRUE(db.open(file.path(), true)) << c.name;
        for (const std::string& statement : c.setup) ASSERT_TRUE(db.execute(Text(statement))) << c.name;
        ASSERT_TRUE(db.execute("create table notes (n)"));  // the file's own: left alone
        EXPECT_TRUE(CreateMissingSchema(db)) << c.name;
        EXPECT_EQ(schemaOf(db), expectedSchema({{"notes", "CREATE TABLE notes (n)"}})) << c.name;
        EXPECT_EQ(queryText(db, "select group_concat(servername) from serverlist"), c.hosts) << c.name;
        // A second run finds everything and changes nothing.
        const long long version = queryInt(db, "pragma schema_version");
        EXPECT_TRUE(CreateMissingSchema(db)) << c.name;
        EXPECT_EQ(queryInt(db, "pragma schema_version"), version) << c.name;
    }
}

TEST(MissingSchema, CompleteFileIsOnlyRead) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    ASSERT_TRUE(db.execute("insert into serverlist (id, servername) values (1, 'a')"));
    const std::string before = schemaOf(db);
    const long long version = queryInt(db, "pragma schema_version");
    const int changes = sqlite3_total_changes(db.connection());
    std::vector<std::string> traced;
    traceStatements(db, traced);
    EXPECT_TRUE(CreateMissingSchema(db));
    EXPECT_EQ(traced, (std::vector<std::string>{"SELECT name FROM sqlite_master"}));
    EXPECT_EQ(sqlite3_total_changes(db.connection()), changes);
    EXPECT_EQ(queryInt(db, "pragma schema_version"), version);
    EXPECT_EQ(schemaOf(db), before);
    EXPECT_EQ(schemaOf(db), expectedSchema());
}

TEST(MissingSchema, RefusesAClosedDatabaseAndReportsAFailedStatement) {
    SqliteDB closed;
    EXPECT_FALSE(CreateMissingSchema(closed));
    // "record" is a view here: it counts as present, and the index on it
    // cannot be made. The failure is reported; serverlist is still made.
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(db.open(file.path(), true));
    ASSERT_TRUE(db.execute("create view record as select 1 as type"));
    EXPECT_FALSE(CreateMissingSchema(db));
    EXPECT_EQ(queryText(db, "select group_concat(type || ':' || name) from sqlite_master "
                            "where name in ('serverlist', 'record')"),
              "view:record,table:serverlist");
}

}  // namespace
