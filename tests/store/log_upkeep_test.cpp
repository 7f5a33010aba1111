// The log query's plans on a large log: each condition form takes the plan
// that answers it without reading the table, for dense and sparse matches,
// once the upkeep (on a connection of its own) has built the date index and
// the statistics; and when the upkeep finds the statistics stale.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>

#include "runtime/datetime.h"
#include "store/date_text.h"
#include "store/log_upkeep.h"
#include "store/schema.h"
#include "store/sqlite_db.h"
#include "store/statements.h"
#include "tests/store/temp_db.h"

namespace {

// Above both the deferral and the statistics thresholds.
constexpr int kLogRows = 60000;
// One row in this many is a timeout (type 4): the sparse type.
constexpr int kSparseTypeEvery = 1000;
static_assert(kLogRows > kDeferIndexRows && kLogRows > kLogRowsWorthStatistics);

Text dateAfter(int seconds) {
    const DateTime base = dateTimeFromCivil(CivilTime{2016, 1, 1, 0, 0, 0});
    return FormatDateTime(DateTime{base.value + seconds / 86400.0});
}

// `rows` log rows from `first` on, one a second; every kSparseTypeEvery-th a
// timeout, the rest abnormal latency.
void addLogRows(SqliteDB& db, int first, int rows) {
    ASSERT_TRUE(db.beginTransaction());
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.connection(),
                                 "insert into record (name, ip, list_id, time, color, date, type) "
                                 "values ('host', '10.0.0.5', 1, 250, 255, ?1, ?2)",
                                 -1, &stmt, nullptr),
              SQLITE_OK);
    for (int i = first; i < first + rows; ++i) {
        const Text date = dateAfter(i);
        sqlite3_bind_text(stmt, 1, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(stmt, 2, i % kSparseTypeEvery == kSparseTypeEvery - 1 ? 4 : 3);
        ASSERT_EQ(sqlite3_step(stmt), SQLITE_DONE);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    ASSERT_TRUE(db.commitTransaction());
}

// The plan's lines, "; "-joined, as EXPLAIN QUERY PLAN gives them. The
// statement runs first, as the log query does: a connection takes up a
// schema change made by another (the upkeep's index and statistics) when it
// next runs a statement, while EXPLAIN alone plans with what it holds.
std::string planOf(SqliteDB& db, const Text& sql) {
    queryText(db, sql.str());
    sqlite3_stmt* stmt = nullptr;
    const std::string text = "EXPLAIN QUERY PLAN " + sql.str();
    if (sqlite3_prepare_v2(db.connection(), text.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        return std::string("prepare failed: ") + sqlite3_errmsg(db.connection());
    std::string plan;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        plan += (plan.empty() ? "" : "; ") +
                std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)));
    sqlite3_finalize(stmt);
    return plan;
}

class LogPlans : public ::testing::Test {
protected:
    void SetUp() override {
        // A file whose log grew before the date index existed: start-up
        // defers the index, the upkeep builds it with the statistics while
        // the program's connection stays open.
        ASSERT_TRUE(db_.open(file_.path(), true));
        for (const SchemaObject& o : SchemaObjects()) {
            if (std::string(o.name) == "record_date") continue;
            ASSERT_TRUE(db_.execute(o.statement));
        }
        addLogRows(db_, 0, kLogRows);
        ASSERT_TRUE(CreateMissingSchema(db_));
        ASSERT_EQ(queryInt(db_, "select count(*) from sqlite_master where name = 'record_date'"), 0);
        EXPECT_TRUE(LogStatisticsStale(db_));
        ASSERT_TRUE(KeepLogIndexesCurrent(file_.path()));
    }

    TempDbFile file_;
    SqliteDB db_;
};

// How each form should run: walk the row ids backwards (stop after 1000
// matches), search the type index (already in id order), or search the
// date index and sort what it finds (few rows).
enum class Plan { byId, byType, byDate };

const char* planName(Plan p) {
    return p == Plan::byId ? "by id" : p == Plan::byType ? "by type index" : "by date index";
}

bool planIs(const std::string& plan, Plan expected) {
    const bool date = plan.find("INDEX record_date") != std::string::npos;
    const bool type = plan.find("INDEX record_type") != std::string::npos;
    const bool sort = plan.find("TEMP B-TREE") != std::string::npos;
    switch (expected) {
    case Plan::byId: return !date && !type && !sort && plan.find("SCAN record") != std::string::npos;
    case Plan::byType: return type && !date && !sort;
    case Plan::byDate: return date && !type;
    }
    return false;
}

TEST_F(LogPlans, EachConditionFormTakesTheIntendedPlan) {
    const Text all0 = dateAfter(0), allEnd = dateAfter(kLogRows);
    const Text old0 = dateAfter(0), oldEnd = dateAfter(599);          // the oldest ten minutes
    const Text mid0 = dateAfter(kLogRows / 3), midEnd = dateAfter(kLogRows / 3 + 299);
    const Text late0 = dateAfter(kLogRows - 300), lateEnd = dateAfter(kLogRows);  // the newest five
    const Text none0 = "2030-01-01 00:00:00", noneEnd = "2030-12-31 23:59:59";    // an empty range
    const struct {
        const char* name;
        Text condition;
        Plan plan;
    } cases[] = {
        {"no condition", Text(), Plan::byId},
        {"time, dense: every row", LogQueryCondition(true, all0, allEnd, 0), Plan::byId},
        {"time, sparse: oldest minutes", LogQueryCondition(true, old0, oldEnd, 0), Plan::byDate},
        {"time, sparse: minutes in the middle", LogQueryCondition(true, mid0, midEnd, 0), Plan::byDate},
        {"time, sparse: newest minutes", LogQueryCondition(true, late0, lateEnd, 0), Plan::byDate},
        {"time, empty range", LogQueryCondition(true, none0, noneEnd, 0), Plan::byDate},
        {"type, dense", LogQueryCondition(false, Text(), Text(), 3), Plan::byType},
        {"type, sparse", LogQueryCondition(false, Text(), Text(), 4), Plan::byType},
        {"time dense + type sparse", LogQueryCondition(true, all0, allEnd, 4), Plan::byType},
        {"time sparse + type dense", LogQueryCondition(true, old0, oldEnd, 3), Plan::byDate},
        {"time empty + type", LogQueryCondition(true, none0, noneEnd, 4), Plan::byDate},
    };
    for (const auto& c : cases) {
        const std::string plan = planOf(db_, LogQuerySql(c.condition));
        EXPECT_TRUE(planIs(plan, c.plan)) << c.name << ": wanted " << planName(c.plan) << ", got " << plan;
    }
}

TEST_F(LogPlans, StatisticsGoStaleWhenTheLogGrowsOrIsCleared) {
    EXPECT_FALSE(LogStatisticsStale(db_));
    addLogRows(db_, kLogRows, kLogRows / 10);  // a tenth more: still close enough
    EXPECT_FALSE(LogStatisticsStale(db_));
    addLogRows(db_, kLogRows + kLogRows / 10, kLogRows / 2);
    EXPECT_TRUE(LogStatisticsStale(db_));
    ASSERT_TRUE(KeepLogIndexesCurrent(file_.path()));
    EXPECT_FALSE(LogStatisticsStale(db_));
    // After a clear the old samples would send a wide range of the new rows
    // to the date index (and a sort of every row).
    ASSERT_TRUE(db_.execute(LogClearSql()));
    EXPECT_TRUE(LogStatisticsStale(db_));
    ASSERT_TRUE(KeepLogIndexesCurrent(file_.path()));
    EXPECT_FALSE(LogStatisticsStale(db_));  // too few rows to need any
}

TEST(LogUpkeep, SmallLogsNeedNoStatisticsAndAMissingFileFails) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    EXPECT_FALSE(LogStatisticsStale(db));
    addLogRows(db, 0, 100);
    EXPECT_FALSE(LogStatisticsStale(db));
    ASSERT_TRUE(KeepLogIndexesCurrent(file.path()));
    EXPECT_EQ(queryInt(db, "select count(*) from sqlite_master where name = 'sqlite_stat1'"), 0);

    TempDbFile missing;
    EXPECT_FALSE(KeepLogIndexesCurrent(missing.path()));
    EXPECT_FALSE(missing.exists());
}

}  // namespace
