// SqliteTable on real files: the calling orders the program uses, the
// position rules, the generated SQL and the typed reads and writes.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>
#include <vector>

#include "runtime/codepage.h"
#include "store/sqlite_db.h"
#include "store/sqlite_table.h"
#include "tests/store/temp_db.h"

namespace {

class TableTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openWithSchema(db, file)); }

    void addHosts(int n) {
        ASSERT_TRUE(db.beginTransaction());
        for (int i = 1; i <= n; ++i)
            ASSERT_TRUE(db.execute("insert into serverlist (id, servername, serverip, time1, "
                                   "handle) values (" + std::to_string(i * 10) + ", '主机" +
                                   std::to_string(i) + "', '10.0.0." + std::to_string(i) +
                                   "', 30, 99)"));
        ASSERT_TRUE(db.commitTransaction());
    }

    // The statement texts SQLite is asked to run, as prepared (parameters unexpanded).
    void traceStatements() { ::traceStatements(db, traced); }

    TempDbFile file;
    SqliteDB db;
    std::vector<std::string> traced;
};

TEST_F(TableTest, EmptyTable) {
    SqliteTable t;
    ASSERT_TRUE(t.open("serverlist", db));
    EXPECT_EQ(t.mode(), SqliteTable::Mode::browse);
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_EQ(t.position(), 0);
    EXPECT_FALSE(t.moveFirst());
    EXPECT_EQ(t.position(), 1);  // record count + 1
    EXPECT_FALSE(t.edit());
    EXPECT_FALSE(t.find("id = 1"));
    int id = 5;
    EXPECT_FALSE(t.read("id", id));
    EXPECT_EQ(id, 5);
}

TEST_F(TableTest, OpenFailuresLeaveItClosed) {
    SqliteTable t;
    EXPECT_FALSE(t.open("missing", db));
    EXPECT_EQ(t.mode(), SqliteTable::Mode::closed);
    EXPECT_FALSE(t.open("", db));
    EXPECT_FALSE(t.addNew());
    EXPECT_FALSE(t.write("id", 1));
    SqliteDB closed;
    EXPECT_FALSE(t.open("serverlist", closed));
    EXPECT_EQ(t.recordCount(), 0);
}

TEST_F(TableTest, StartUpScanResetsEveryHandle) {
    addHosts(3);
    traceStatements();
    ASSERT_TRUE(db.beginTransaction());
    SqliteTable t;
    ASSERT_TRUE(t.open("serverlist", db));
    ASSERT_EQ(t.recordCount(), 3);
    ASSERT_TRUE(t.moveFirst());
    std::vector<std::string> seen;
    for (int i = 0; i < t.recordCount(); ++i) {
        int id = 0, time1 = 0;
        Text name, ip;
        EXPECT_TRUE(t.read("id", id));
        EXPECT_TRUE(t.read("servername", name));
        EXPECT_TRUE(t.read("serverip", ip));
        EXPECT_TRUE(t.read("time1", time1));
        seen.push_back(std::to_string(id) + name.str() + ip.str() + std::to_string(time1));
        EXPECT_TRUE(t.edit());
        EXPECT_TRUE(t.write("handle", 0));
        EXPECT_TRUE(t.update());
        EXPECT_EQ(t.position(), i + 1);  // the reload keeps the position
        t.skip();
    }
    EXPECT_EQ(t.position(), 4);
    t.close();
    ASSERT_TRUE(db.commitTransaction());
    EXPECT_EQ(seen, (std::vector<std::string>{"10主机110.0.0.130", "20主机210.0.0.230",
                                              "30主机310.0.0.330"}));
    EXPECT_EQ(queryInt(db, "select sum(handle) from serverlist"), 0);
    // The texts the layer generated for the first record, leaving out its
    // checks of whether the row ids need reading again.
    std::vector<std::string> first;
    for (const std::string& s : traced)
        if (s.rfind("PRAGMA", 0) != 0 && s.rfind("SELECT 1 FROM", 0) != 0 && first.size() < 8)
            first.push_back(s);
    first.erase(first.begin());  // BEGIN TRANSACTION
    EXPECT_EQ(first, (std::vector<std::string>{
                         "SELECT * FROM serverlist LIMIT 0",
                         "SELECT _ROWID_ FROM serverlist ORDER BY _ROWID_ ",
                         "SELECT id FROM serverlist WHERE _ROWID_ = 10 ",
                         "SELECT servername FROM serverlist WHERE _ROWID_ = 10 ",
                         "SELECT serverip FROM serverlist WHERE _ROWID_ = 10 ",
                         "SELECT time1 FROM serverlist WHERE _ROWID_ = 10 ",
                         "UPDATE serverlist SET handle=? WHERE _ROWID_=10",
                     }));
}

TEST_F(TableTest, UpdateAndInsertBindTheWrittenColumnsInTableOrder) {
    ASSERT_TRUE(db.execute("create table t (a, b, c)"));
    ASSERT_TRUE(db.execute("insert into t (_ROWID_, a, b, c) values (7, 1, 2, 3)"));
    traceStatements();
    SqliteTable t;
    ASSERT_TRUE(t.open("t", db));
    ASSERT_TRUE(t.moveFirst());
    ASSERT_TRUE(t.edit());
    EXPECT_TRUE(t.write("c", Text("三")));
    EXPECT_TRUE(t.write("A", 10));
    EXPECT_TRUE(t.write("c", Text("cc")));  // replaces
    ASSERT_TRUE(t.update());
    EXPECT_EQ(queryText(db, "select a || b || c from t"), "102cc");
    ASSERT_TRUE(t.addNew());
    EXPECT_TRUE(t.write(3, Text("网络")));
    EXPECT_TRUE(t.write(1.9, std::int64_t{1} << 40));  // column 1
    ASSERT_TRUE(t.update());
    EXPECT_EQ(t.insertedRowId(), 8);
    EXPECT_EQ(db.lastInsertRowId(), 8);
    EXPECT_EQ(t.recordCount(), 2);
    EXPECT_EQ(queryText(db, "select a || '|' || typeof(b) || '|' || c from t where _ROWID_ = 8"),
              "1099511627776|null|\xE7\xBD\x91\xE7\xBB\x9C");
    std::vector<std::string> writes;
    for (const std::string& s : traced)
        if (s.rfind("UPDATE", 0) == 0 || s.rfind("INSERT", 0) == 0) writes.push_back(s);
    EXPECT_EQ(writes, (std::vector<std::string>{"UPDATE t SET a=?,c=? WHERE _ROWID_=7",
                                                "INSERT INTO t (a,c) VALUES (?,?)"}));
}

TEST_F(TableTest, ModeRulesAroundUpdate) {
    addHosts(1);
    SqliteTable t;
    ASSERT_TRUE(t.open("serverlist", db));
    ASSERT_TRUE(t.moveFirst());
    EXPECT_FALSE(t.update());  // browse mode
    ASSERT_TRUE(t.edit());
    EXPECT_FALSE(t.update());  // nothing written
    EXPECT_EQ(t.mode(), SqliteTable::Mode::edit);
    EXPECT_TRUE(t.write("time1", 40));
    EXPECT_FALSE(t.write("nosuch", 1));
    ASSERT_TRUE(t.update());
    EXPECT_EQ(t.mode(), SqliteTable::Mode::browse);
    EXPECT_FALSE(t.write("time1", 50));  // slots are gone until edit/addNew
    EXPECT_TRUE(t.edit());
    EXPECT_TRUE(t.write("time1", 50));
    // A refused value empties the slot it names.
    EXPECT_FALSE(t.write("time1", Text()));
    EXPECT_FALSE(t.write("time1", Value{}));
    EXPECT_FALSE(t.write("time1", Value{SubPointer{1}}));
    EXPECT_FALSE(t.update());
    EXPECT_EQ(queryInt(db, "select time1 from serverlist"), 40);
}

TEST_F(TableTest, FailedUpdateKeepsModeAndValues) {
    ASSERT_TRUE(db.execute("create table u (id INTEGER PRIMARY KEY, v UNIQUE)"));
    ASSERT_TRUE(db.execute("insert into u values (1, 'x')"));
    SqliteTable t;
    ASSERT_TRUE(t.open("u", db));
    ASSERT_TRUE(t.addNew());
    ASSERT_TRUE(t.write("v", "x"));
    EXPECT_FALSE(t.update());  // constraint
    EXPECT_EQ(t.mode(), SqliteTable::Mode::add);
    ASSERT_TRUE(db.execute("delete from u"));
    EXPECT_TRUE(t.update());  // the kept value, retried
    EXPECT_EQ(queryText(db, "select v from u"), "x");
}

TEST_F(TableTest, MovingAndFinding) {
    addHosts(3);
    SqliteTable t;
    ASSERT_TRUE(t.open("serverlist", db));
    struct Step {
        const char* what;
        bool (*op)(SqliteTable&);
        bool result;
        int position;
    } steps[] = {
        {"find from before the first", [](SqliteTable& s) { return s.find("id = 20"); }, true, 2},
        {"find the current record", [](SqliteTable& s) { return s.find("id=20"); }, true, 2},
        {"find behind", [](SqliteTable& s) { return s.find("id = 10"); }, false, 2},
        {"find nothing", [](SqliteTable& s) { return s.find("id = 99"); }, false, 2},
        {"bad condition", [](SqliteTable& s) { return s.find("id = = 1"); }, false, 2},
        {"skip 0", [](SqliteTable& s) { return s.skip(0); }, false, 2},
        {"skip back", [](SqliteTable& s) { return s.skip(-1); }, true, 1},
        {"skip before", [](SqliteTable& s) { return s.skip(-5); }, false, 0},
        {"skip 3", [](SqliteTable& s) { return s.skip(3); }, true, 3},
        {"skip past", [](SqliteTable& s) { return s.skip(1); }, false, 4},
        {"find after the last", [](SqliteTable& s) { return s.find("id = 30"); }, false, 4},
        {"first", [](SqliteTable& s) { return s.moveFirst(); }, true, 1},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(s.op(t), s.result) << s.what;
        EXPECT_EQ(t.position(), s.position) << s.what;
    }
    // Rows added behind the table's back are unknown until the next reload.
    ASSERT_TRUE(db.execute("insert into serverlist (id) values (25)"));
    EXPECT_FALSE(t.find("id = 25"));
    EXPECT_EQ(t.position(), 1);
    ASSERT_TRUE(t.edit());
    ASSERT_TRUE(t.write("handle", 1));
    ASSERT_TRUE(t.update());
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_TRUE(t.find("id = 25"));
    EXPECT_EQ(t.position(), 3);
    // An update that changes the record's own row id reloads the row ids.
    ASSERT_TRUE(t.edit());
    ASSERT_TRUE(t.write("id", 5));
    ASSERT_TRUE(t.update());
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_FALSE(t.find("id = 5"));  // now before the position
    EXPECT_TRUE(t.moveFirst());
    EXPECT_TRUE(t.find("id = 5"));
    EXPECT_EQ(t.position(), 1);
    // So does one after rows were deleted behind the table's back.
    ASSERT_TRUE(db.execute("delete from serverlist where id = 30"));
    ASSERT_TRUE(t.edit());
    ASSERT_TRUE(t.write("handle", 2));
    ASSERT_TRUE(t.update());
    EXPECT_EQ(t.recordCount(), 3);
    EXPECT_TRUE(t.skip(2));
    EXPECT_FALSE(t.skip());
}

TEST_F(TableTest, ReadsIntoEveryVariableType) {
    ASSERT_TRUE(db.execute("create table v (n, big, r, s, b, z)"));
    ASSERT_TRUE(db.execute("insert into v values (300, 5000000000, 2.5, '网络可通', x'00ff10', NULL)"));
    SqliteTable t;
    ASSERT_TRUE(t.open("v", db));
    ASSERT_TRUE(t.moveFirst());
    bool flag = false;
    std::uint8_t byte = 0;
    std::int16_t shortValue = 0;
    int intValue = 0, nullInt = 9;
    std::int64_t big = 0;
    float f = 0;
    double d = 0;
    DateTime when;
    Text text = "old", nullText = "old";
    ByteSet bytes;
    EXPECT_TRUE(t.read("N", flag));
    EXPECT_TRUE(t.read("n", byte));
    EXPECT_TRUE(t.read(std::int16_t{1}, shortValue));
    EXPECT_TRUE(t.read(std::uint8_t{1}, intValue));
    EXPECT_TRUE(t.read("big", big));
    EXPECT_TRUE(t.read(3.0f, f));
    EXPECT_TRUE(t.read("r", d));
    EXPECT_TRUE(t.read("r", when));
    EXPECT_TRUE(t.read("s", text));
    EXPECT_TRUE(t.read("b", bytes));
    EXPECT_TRUE(t.read("z", nullInt));
    EXPECT_TRUE(t.read("z", nullText));
    EXPECT_TRUE(flag);
    EXPECT_EQ(byte, 300 % 256);
    EXPECT_EQ(shortValue, 300);
    EXPECT_EQ(intValue, 300);
    EXPECT_EQ(big, 5000000000LL);
    EXPECT_EQ(f, 2.5f);
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(when.value, 2.5);
    EXPECT_EQ(text, Text("网络可通"));
    EXPECT_EQ(bytes, (ByteSet{0x00, 0xff, 0x10}));
    EXPECT_EQ(nullInt, 0);
    EXPECT_EQ(nullText, Text());
    // Unknown fields leave the variable as it was.
    int untouched = 77;
    for (FieldSelector f2 : {FieldSelector("nosuch"), FieldSelector(0), FieldSelector(7),
                             FieldSelector(-1.0), FieldSelector(Text())})
        EXPECT_FALSE(t.read(f2, untouched));
    EXPECT_EQ(untouched, 77);
}

TEST_F(TableTest, WritesEveryValueKind) {
    ASSERT_TRUE(db.execute("create table w (a, b, c, d, e, f, g, h, i, j)"));
    SqliteTable t;
    ASSERT_TRUE(t.open("w", db));
    ASSERT_TRUE(t.addNew());
    EXPECT_TRUE(t.write("a", true));
    EXPECT_TRUE(t.write("b", std::uint8_t{200}));
    EXPECT_TRUE(t.write("c", std::int16_t{-5}));
    EXPECT_TRUE(t.write("d", std::int64_t{-5000000000LL}));
    EXPECT_TRUE(t.write("e", 0.25f));
    EXPECT_TRUE(t.write("f", DateTime{42736.5}));
    EXPECT_TRUE(t.write("g", ByteSet{1, 2}));
    EXPECT_TRUE(t.write("h", Value{Text("值")}));
    EXPECT_TRUE(t.write("i", Value{std::int32_t{9}}));
    EXPECT_TRUE(t.write("j", Text("\x81")));  // not GBK: stored as "?", never dropped
    ASSERT_TRUE(t.update());
    EXPECT_EQ(queryText(db, "select quote(a)||','||quote(b)||','||quote(c)||','||quote(d)||','||"
                            "quote(e)||','||quote(f)||','||quote(g)||','||h||','||quote(i)||','||"
                            "quote(j) from w"),
              "1,200,-5,-5000000000,0.25,42736.5,X'0102',\xE5\x80\xBC,9,'?'");
}

// Another program's UTF-8 that GBK lacks reads with "?" in its place: the
// rest of the text is kept (an empty name would read as no name at all).
TEST_F(TableTest, TextsOutsideGbkReadWithAQuestionMark) {
    ASSERT_EQ(sqlite3_exec(db.connection(),
                           "insert into serverlist (servername) values ('a\xF0\x9F\x98\x80')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    SqliteTable t;
    ASSERT_TRUE(t.open("serverlist", db));
    ASSERT_TRUE(t.moveFirst());
    Text name = "old";
    EXPECT_TRUE(t.read("servername", name));
    EXPECT_EQ(name, Text("a?"));
}

TEST_F(TableTest, PiecesLongerThanTheirBufferFail) {
    const std::string longColumn(1021, 'c');  // "%s=?," needs 1025 bytes
    ASSERT_TRUE(db.execute(Text("create table p (a, " + longColumn + ")")));
    ASSERT_TRUE(db.execute("insert into p (a) values (1)"));
    SqliteTable t;
    ASSERT_TRUE(t.open("p", db));
    ASSERT_TRUE(t.moveFirst());
    int value = 5;
    EXPECT_FALSE(t.read(2, value));
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(t.read(1, value));
    EXPECT_EQ(value, 1);
    ASSERT_TRUE(t.edit());
    ASSERT_TRUE(t.write(2, 3));
    EXPECT_FALSE(t.update());
    EXPECT_EQ(t.mode(), SqliteTable::Mode::edit);
    EXPECT_EQ(queryInt(db, "select count(*) from p where " + longColumn + " is null"), 1);

    // A long table name no longer fits "SELECT _ROWID_ FROM %s ORDER BY _ROWID_ ".
    const std::string longTable(1000, 't');
    ASSERT_TRUE(db.execute(Text("create table " + longTable + " (a)")));
    EXPECT_FALSE(t.open(Text(longTable), db));
    EXPECT_EQ(t.mode(), SqliteTable::Mode::closed);
}

}  // namespace
