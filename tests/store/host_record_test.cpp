// HostRecord on real files: the statements each field list issues, in the
// caller's order; values read and written; fields a file cannot give.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>
#include <vector>

#include "store/host_record.h"
#include "store/sqlite_dataset.h"
#include "store/sqlite_db.h"
#include "store/sqlite_table.h"
#include "store/statements.h"
#include "tests/store/temp_db.h"

namespace {

class HostRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(openWithSchema(db, file));
        ASSERT_TRUE(db.execute("insert into serverlist values (7, '主机', '10.0.0.7', 11, 21, 12, 22, "
                               "13, 23, 14, 24, 1, 2, 99)"));
    }

    // The traced texts without the table's checks of whether to reload.
    std::vector<std::string> statements() const {
        std::vector<std::string> out;
        for (const std::string& s : traced)
            if (s.rfind("PRAGMA", 0) != 0 && s.rfind("SELECT 1 FROM", 0) != 0) out.push_back(s);
        return out;
    }

    TempDbFile file;
    SqliteDB db;
    std::vector<std::string> traced;
};

std::string select(const char* column) {
    return std::string("SELECT ") + column + " FROM serverlist WHERE _ROWID_ = 7 ";
}

// Each caller's list gives exactly its statements, one per column, in its order.
TEST_F(HostRecordTest, TableReadsFollowTheGivenOrder) {
    const struct {
        const char* caller;
        HostFields fields;
        std::vector<std::string> statements;
    } cases[] = {
        {"start-up",
         {HostField::id, HostField::address, HostField::name, HostField::logFlag, HostField::autoStart},
         {select("id"), select("serverip"), select("servername"), select("record"), select("auto")}},
        {"task",
         {HostField::name, HostField::address, HostField::thresholds, HostField::logFlag},
         {select("servername"), select("serverip"), select("time1"), select("color1"), select("time2"),
          select("color2"), select("time3"), select("color3"), select("time4"), select("color4"),
          select("record")}},
        {"handle", {HostField::handle}, {select("handle")}},
    };
    for (const auto& c : cases) {
        SqliteTable table;
        ASSERT_TRUE(openHostTable(table, db));
        ASSERT_TRUE(table.moveFirst());
        traced.clear();
        traceStatements(db, traced);
        HostRecord host;
        EXPECT_TRUE(readHostRecord(table, host, {}));  // nothing asked, nothing read
        EXPECT_TRUE(readHostRecord(table, host, c.fields)) << c.caller;
        EXPECT_EQ(statements(), c.statements) << c.caller;
        sqlite3_trace_v2(db.connection(), 0, nullptr, nullptr);
    }
}

TEST_F(HostRecordTest, ReadsEveryFieldFromTableAndDataset) {
    const HostFields all = {HostField::id,      HostField::name,      HostField::address, HostField::thresholds,
                            HostField::logFlag, HostField::autoStart, HostField::handle};
    SqliteTable table;
    ASSERT_TRUE(openHostTable(table, db));
    ASSERT_TRUE(table.moveFirst());
    HostRecord fromTable;
    EXPECT_TRUE(readHostRecord(table, fromTable, all));

    SqliteDataset rows;
    ASSERT_TRUE(rows.open(HostLoadSql(7), db));
    ASSERT_TRUE(rows.requery());
    ASSERT_TRUE(rows.moveNext());
    HostRecord fromRows;
    EXPECT_TRUE(readHostRecord(rows, fromRows, all));
    rows.close();

    for (const HostRecord& h : {fromTable, fromRows}) {
        EXPECT_EQ(h.id, 7);
        EXPECT_EQ(h.name, Text("主机"));
        EXPECT_EQ(h.address, Text("10.0.0.7"));
        for (int i = 0; i < kHostClasses; ++i) {
            EXPECT_EQ(h.time[i], 11 + i);
            EXPECT_EQ(h.color[i], 21 + i);
        }
        EXPECT_EQ(h.autoStart, 1);
        EXPECT_EQ(h.logFlag, 2);  // as stored: callers decide what 2 means
        EXPECT_EQ(h.handle, 99);
    }
}

// A file whose serverlist lacks columns (made by hand, or by an older
// tool): what cannot be read keeps the value the caller started with.
TEST_F(HostRecordTest, FieldsTheRowCannotGiveKeepTheirValue) {
    ASSERT_TRUE(db.execute("drop table serverlist"));
    ASSERT_TRUE(db.execute("create table serverlist (id integer primary key, servername text, time1 int)"));
    ASSERT_TRUE(db.execute("insert into serverlist values (3, 'a', 50)"));
    SqliteDataset rows;
    ASSERT_TRUE(rows.open(HostLoadSql(3), db) && rows.requery() && rows.moveNext());
    HostRecord host;
    host.address = "kept";
    for (int i = 0; i < kHostClasses; ++i) host.time[i] = kNewHostTimes[i], host.color[i] = kNewHostColours[i];
    host.logFlag = 5;
    EXPECT_FALSE(readHostRecord(rows, host, kHostFormFields));
    EXPECT_EQ(host.name, Text("a"));
    EXPECT_EQ(host.address, Text("kept"));
    EXPECT_EQ(host.time[0], 50);
    EXPECT_EQ(host.time[1], kNewHostTimes[1]);
    EXPECT_EQ(host.color[0], kNewHostColours[0]);
    EXPECT_EQ(host.logFlag, 5);
}

// The host dialog's save: one INSERT of the written columns in table order,
// or one UPDATE of the edited row; an empty text is left out.
TEST_F(HostRecordTest, WritesIssueOneStatementOfTheWrittenColumns) {
    HostRecord host;
    host.name = "new'host";
    host.address = "";  // no value: not in the statement
    for (int i = 0; i < kHostClasses; ++i) host.time[i] = 100 + i, host.color[i] = 200 + i;
    host.logFlag = 1;
    host.autoStart = 0;
    SqliteTable table;
    ASSERT_TRUE(openHostTable(table, db));
    traceStatements(db, traced);
    ASSERT_TRUE(table.addNew());
    EXPECT_FALSE(writeHostRecord(table, host, kHostFormFields));  // the empty address was refused
    ASSERT_TRUE(table.update());
    const std::int64_t id = table.insertedRowId();
    ASSERT_TRUE(table.find(HostSaveCondition(static_cast<int>(id))));
    ASSERT_TRUE(table.edit());
    host.handle = 42;
    EXPECT_TRUE(writeHostRecord(table, host, {HostField::handle}));
    ASSERT_TRUE(table.update());
    const std::string rowId = std::to_string(id);
    EXPECT_EQ(statements(),
              (std::vector<std::string>{
                  "INSERT INTO serverlist (servername,time1,color1,time2,color2,time3,color3,time4,"
                  "color4,auto,record) VALUES (?,?,?,?,?,?,?,?,?,?,?)",
                  "SELECT * FROM serverlist LIMIT 0",
                  "SELECT _ROWID_ FROM serverlist ORDER BY _ROWID_ ",
                  "SELECT _ROWID_ FROM serverlist WHERE _ROWID_>=0 AND (id = " + rowId + ")",
                  "UPDATE serverlist SET handle=? WHERE _ROWID_=" + rowId,
              }));
    EXPECT_EQ(queryText(db, "select servername || '|' || ifnull(serverip, 'null') || '|' || time1 || '|' || "
                            "color4 || '|' || record || '|' || auto || '|' || handle from serverlist "
                            "where id = " + rowId),
              "new'host|null|100|203|1|0|42");
}

}  // namespace
