// The log export on a real SQLite file: which rows (the log page's
// conditions, no cap, newest first), what each row reads as in a
// spreadsheet, and that an empty result, a cancel or a failure leaves no file.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "report/log_export.h"
#include "store/sqlite_db.h"
#include "store/statements.h"
#include "tests/report/csv_reader.h"
#include "tests/store/temp_db.h"

namespace {

using Row = std::vector<std::string>;

const std::string kBom = "\xEF\xBB\xBF";
const Row kHeader = {u8"时间", u8"名称", "IP", u8"延时", u8"状态"};

// The fixture's rows in id order (1..5) with what the file must show. The
// names are the stored UTF-8; the emoji has no GBK form, so it cannot go
// through the program's GBK statements and is stored directly.
struct LogRow {
    const char* date;
    const char* name;
    const char* ip;
    int time;
    int type;
    Row shown;
};
const LogRow kRows[] = {
    {"2024-01-01 00:00:00", "web", "10.0.0.5", 250, 3,
     {"2024-01-01 00:00:00", "web", "10.0.0.5", "250", u8"延迟过高"}},
    {"2024-01-01 12:00:00", "a,\"b\"", "10.0.0.6", 1000, 4,
     {"2024-01-01 12:00:00", "a,\"b\"", "10.0.0.6", "1000", u8"网络不通"}},
    {"2024-01-02 00:00:00", "two\r\nlines", "10.0.0.7", 301, 3,
     {"2024-01-02 00:00:00", "two\r\nlines", "10.0.0.7", "301", u8"延迟过高"}},
    {"2024-01-02 00:00:01", u8"\U0001F600主机", "10.0.0.8", 1000, 4,
     {"2024-01-02 00:00:01", u8"\U0001F600主机", "10.0.0.8", "1000", u8"网络不通"}},
    {"2023-12-31 23:59:59", "old", "10.0.0.9", 0, 4,
     {"2023-12-31 23:59:59", "old", "10.0.0.9", "0", u8"网络不通"}},
};

std::string fileContent(const Text& path) {
    std::ifstream in(path.str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const Text& path) { return std::ifstream(path.str()).good(); }

class LogExportTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openWithSchema(db, dbFile)); }
    void TearDown() override { std::remove((out.path().str() + ".part").c_str()); }

    void insertFixture() {
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db.connection(),
                                     "INSERT INTO record (name, ip, list_id, time, color, date, type) "
                                     "VALUES (?, ?, 1, ?, 255, ?, ?)",
                                     -1, &stmt, nullptr),
                  SQLITE_OK);
        for (const LogRow& r : kRows) {
            sqlite3_bind_text(stmt, 1, r.name, -1, SQLITE_STATIC);
            sqlite3_bind_text(stmt, 2, r.ip, -1, SQLITE_STATIC);
            sqlite3_bind_int(stmt, 3, r.time);
            sqlite3_bind_text(stmt, 4, r.date, -1, SQLITE_STATIC);
            sqlite3_bind_int(stmt, 5, r.type);
            EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
    }
    void insertMany(int count, const char* date) {
        ASSERT_TRUE(db.beginTransaction());
        for (int i = 1; i <= count; ++i) ASSERT_TRUE(db.execute(LogInsertSql("h", "1.1.1.1", 1, i, 0, date, 3)));
        ASSERT_TRUE(db.commitTransaction());
    }
    LogExportOutcome run(const Text& condition, LogExportStatus& status) {
        return ExportLog({dbFile.path(), condition, out.path()}, status);
    }

    TempDbFile dbFile;
    TempDbFile out{".csv"};
    SqliteDB db;
};

// The four forms of the log page's condition; both date bounds inclusive.
TEST_F(LogExportTest, WritesTheRowsTheConditionsSelectNewestFirst) {
    insertFixture();
    const Text from = "2024-01-01 00:00:00", to = "2024-01-02 00:00:00";
    const struct {
        Text condition;
        std::vector<int> ids;
        const char* why;
    } cases[] = {
        {Text(), {5, 4, 3, 2, 1}, "no condition: every row, by id descending (not by date)"},
        {LogQueryCondition(true, from, to, 0), {3, 2, 1}, "the range, both bounds included"},
        {LogQueryCondition(false, from, to, 4), {5, 4, 2}, "timeouts only"},
        {LogQueryCondition(true, from, to, 3), {3, 1}, "the range and high latency"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        LogExportStatus status;
        ASSERT_EQ(run(c.condition, status), LogExportOutcome::written);
        const std::string text = fileContent(out.path());
        ASSERT_EQ(text.compare(0, kBom.size(), kBom), 0) << "the file starts with the UTF-8 mark";
        const CsvTable table = ReadCsv(std::string_view(text).substr(kBom.size()));
        EXPECT_FALSE(table.malformed);
        std::vector<Row> expected = {kHeader};
        for (int id : c.ids) expected.push_back(kRows[id - 1].shown);
        EXPECT_EQ(table.rows, expected);
        EXPECT_EQ(status.rowsTotal, static_cast<long long>(c.ids.size()));
        EXPECT_EQ(status.rowsWritten, status.rowsTotal);
    }
}

// A condition holding a small share of a long log is read through an index,
// one holding much of it by walking the table: either way newest first by
// id, whatever order the dates are in (id 69 holds the fixture's oldest date).
TEST_F(LogExportTest, ReadsNewestFirstThroughAnIndexOrByWalkingTheTable) {
    const int fillers = 64;  // ids 1..64, high latency i ms; then the fixture's 65..69
    insertMany(fillers, "2020-06-01 00:00:00");
    insertFixture();
    const auto shown = [&](int id) {
        return id > fillers ? kRows[id - fillers - 1].shown
                            : Row{"2020-06-01 00:00:00", "h", "1.1.1.1", std::to_string(id), u8"延迟过高"};
    };
    const struct {
        Text condition;
        int oldestId;
        const char* why;
    } cases[] = {
        {LogQueryCondition(true, "2023-12-31 00:00:00", "2024-01-03 00:00:00", 0), fillers + 1,
         "a few days: the fixture's 5 rows of 69"},
        {LogQueryCondition(true, "2020-01-01 00:00:00", "2024-12-31 23:59:59", 0), 1, "the years: all 69"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        LogExportStatus status;
        ASSERT_EQ(run(c.condition, status), LogExportOutcome::written);
        const std::string text = fileContent(out.path());
        std::vector<Row> expected = {kHeader};
        for (int id = fillers + 5; id >= c.oldestId; --id) expected.push_back(shown(id));
        EXPECT_EQ(ReadCsv(std::string_view(text).substr(kBom.size())).rows, expected);
    }
}

// Byte for byte, the way a spreadsheet receives it.
TEST_F(LogExportTest, FileBytesAreExact) {
    insertFixture();
    LogExportStatus status;
    ASSERT_EQ(run(LogQueryCondition(true, "2024-01-01 12:00:00", "2024-01-02 00:00:00", 0), status),
              LogExportOutcome::written);
    EXPECT_EQ(fileContent(out.path()),
              kBom + u8"时间,名称,IP,延时,状态\r\n"
                     "2024-01-02 00:00:00,\"two\r\nlines\",10.0.0.7,301," u8"延迟过高" "\r\n"
                     "2024-01-01 12:00:00,\"a,\"\"b\"\"\",10.0.0.6,1000," u8"网络不通" "\r\n");
}

// Past the page's 1000 rows and across several steps, every row once.
TEST_F(LogExportTest, HasNoRowCapAndCrossesSteps) {
    const int count = 2 * kLogExportStepRows + 7;
    insertMany(count, "2024-01-01 00:00:00");
    LogExportStatus status;
    int steps = 0;
    status.afterStep = [&] { ++steps; };
    ASSERT_EQ(run(Text(), status), LogExportOutcome::written);
    const std::string text = fileContent(out.path());
    const CsvTable table = ReadCsv(std::string_view(text).substr(kBom.size()));
    ASSERT_EQ(table.rows.size(), static_cast<std::size_t>(count + 1));
    EXPECT_EQ(table.rows[1][3], std::to_string(count)) << "the newest row first";
    EXPECT_EQ(table.rows.back()[3], "1");
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(status.rowsWritten, count);
}

TEST_F(LogExportTest, CancelMidwayLeavesNoFileAndKeepsAnOldOne) {
    insertMany(2 * kLogExportStepRows + 7, "2024-01-01 00:00:00");
    std::ofstream(out.path().str()) << "an earlier export";
    LogExportStatus status;
    status.afterStep = [&] { status.cancel = true; };
    EXPECT_EQ(run(Text(), status), LogExportOutcome::cancelled);
    EXPECT_EQ(status.rowsWritten, kLogExportStepRows);
    EXPECT_EQ(fileContent(out.path()), "an earlier export");
    EXPECT_FALSE(fileExists(out.path() + ".part"));
}

TEST_F(LogExportTest, NothingMatchingWritesNoFile) {
    insertFixture();
    LogExportStatus status;
    EXPECT_EQ(run(LogQueryCondition(true, "2030-01-01 00:00:00", "2030-12-31 23:59:59", 0), status),
              LogExportOutcome::empty);
    EXPECT_EQ(status.rowsTotal, 0);
    EXPECT_FALSE(fileExists(out.path()));
    EXPECT_FALSE(fileExists(out.path() + ".part"));
}

TEST_F(LogExportTest, ReadAndWriteFailuresAreToldApart) {
    insertFixture();
    LogExportStatus status;
    EXPECT_EQ(ExportLog({dbFile.path() + ".missing", Text(), out.path()}, status), LogExportOutcome::readFailed);
    EXPECT_FALSE(fileExists(out.path()));
    const Text nowhere = out.path() + ".d/none/x.csv";
    EXPECT_EQ(ExportLog({dbFile.path(), Text(), nowhere}, status), LogExportOutcome::writeFailed);
    EXPECT_FALSE(fileExists(nowhere));
}

}  // namespace
