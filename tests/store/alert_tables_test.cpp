// The alerts' tables on a real file: outage episodes opened and closed with
// bound values (names that would break a quoted statement included), rows
// left open closed at the next start, and settings written and read back.
#include <gtest/gtest.h>

#include "runtime/codepage.h"
#include "store/outage_table.h"
#include "store/schema.h"
#include "store/settings_table.h"
#include "store/sqlite_db.h"
#include "tests/store/temp_db.h"

namespace {

TEST(OutageTable, AnEpisodeIsOneInsertThenOneUpdate) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    std::vector<std::string> trace;
    traceStatements(db, trace);
    const std::int64_t id = OpenOutage(db, {7, "办公'网关", "198.18.1.1", 1, "2024-05-01 10:00:00"});
    ASSERT_GT(id, 0);
    ASSERT_TRUE(CloseOutage(db, id, "2024-05-01 10:00:37", 0));
    ASSERT_EQ(trace.size(), 2u) << "one statement each";
    EXPECT_EQ(trace[0].find("198.18"), std::string::npos) << "values bound, not spliced: " << trace[0];
    EXPECT_EQ(trace[1].find("10:00:37"), std::string::npos) << trace[1];
    // The file holds UTF-8.
    EXPECT_EQ(queryText(db, "select list_id||'|'||name||'|'||ip||'|'||kind||'|'||start||'|'||end||'|' from outage"),
              gbkToUtf8("7|办公'网关|198.18.1.1|1|2024-05-01 10:00:00|2024-05-01 10:00:37|"));
    EXPECT_FALSE(CloseOutage(db, id + 1, "2024-05-01 10:00:37", 0)) << "no such row";

    const std::int64_t high = OpenOutage(db, {7, "办公网关", "198.18.1.1", 2, "2024-05-01 11:00:00"});
    ASSERT_TRUE(CloseOutage(db, high, "2024-05-01 11:05:00", 480));
    EXPECT_EQ(queryInt(db, "select worst from outage where kind = 2"), 480);
}

TEST(OutageTable, RowsLeftOpenAreClosedWithTheGivenTime) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    const std::int64_t closed = OpenOutage(db, {1, "a", "198.18.1.1", 1, "2024-05-01 10:00:00"});
    CloseOutage(db, closed, "2024-05-01 10:01:00", 0);
    OpenOutage(db, {2, "b", "198.18.1.2", 1, "2024-05-01 10:02:00"});
    OpenOutage(db, {3, "c", "198.18.1.3", 2, "2024-05-01 10:03:00"});
    EXPECT_EQ(CloseOpenOutages(db, "2024-05-02 08:00:00"), 2);
    EXPECT_EQ(queryText(db, "select group_concat(end, ',') from (select end from outage order by id)"),
              "2024-05-01 10:01:00,2024-05-02 08:00:00,2024-05-02 08:00:00");
    EXPECT_EQ(CloseOpenOutages(db, "2024-05-03 08:00:00"), 0);
}

TEST(SettingsTable, WrittenValuesReadBackAndReplace) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    std::map<std::string, Text> values{{"stale", "x"}};
    ASSERT_TRUE(ReadSettings(db, values));
    EXPECT_TRUE(values.empty());
    ASSERT_TRUE(WriteSetting(db, "alert.down_after", "5"));
    ASSERT_TRUE(WriteSetting(db, "alert.down_after", "7"));
    ASSERT_TRUE(WriteSetting(db, "mute.3", "1"));
    ASSERT_TRUE(WriteSetting(db, "note", "中文'值"));
    ASSERT_TRUE(DeleteSetting(db, "mute.3"));
    ASSERT_TRUE(ReadSettings(db, values));
    EXPECT_EQ(values, (std::map<std::string, Text>{{"alert.down_after", "7"}, {"note", "中文'值"}}));
}

TEST(SettingsTable, AnEarlierFileGainsTheTables) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(db.open(file.path(), true));
    for (const SchemaObject& o : SchemaObjects()) {
        const std::string name = o.name;
        if (name == "serverlist" || name == "record") {
            ASSERT_TRUE(db.execute(o.statement));
        }
    }
    std::map<std::string, Text> values;
    EXPECT_FALSE(ReadSettings(db, values));
    EXPECT_EQ(OpenOutage(db, {1, "a", "198.18.1.1", 1, "2024-05-01 10:00:00"}), 0);
    ASSERT_TRUE(CreateMissingSchema(db));
    EXPECT_TRUE(ReadSettings(db, values));
    EXPECT_GT(OpenOutage(db, {1, "a", "198.18.1.1", 1, "2024-05-01 10:00:00"}), 0);
}

}  // namespace
