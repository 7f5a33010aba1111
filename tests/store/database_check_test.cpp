// The start-up's check of database.db on real files: each kind of trouble
// found, nothing in the user's file changed.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "store/database_check.h"
#include "store/schema.h"
#include "store/sqlite_db.h"
#include "tests/store/temp_db.h"

namespace {

constexpr int kWaitMs = 3000;

std::string contentOf(const Text& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const Text& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

// Another program's connection to the same file.
struct OtherProgram {
    explicit OtherProgram(const Text& path) { sqlite3_open(path.c_str(), &db); }
    ~OtherProgram() { sqlite3_close(db); }
    int run(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    sqlite3* db = nullptr;
};

TEST(DatabaseCheck, AFileWithTheSchemaIsUsable) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    EXPECT_EQ(CheckDatabase(db, kWaitMs), DatabaseState::usable);
    EXPECT_EQ(queryInt(db, "SELECT count(*) FROM sqlite_master WHERE name='qerno_write_test'"), 0);
}

// A zero-byte file is an empty database: it takes the schema as a new one does.
TEST(DatabaseCheck, AZeroByteFileIsUsableAndGainsTheSchema) {
    TempDbFile file;
    writeFile(file.path(), "");
    SqliteDB db;
    ASSERT_TRUE(db.open(file.path()));
    EXPECT_EQ(CheckDatabase(db, kWaitMs), DatabaseState::usable);
    EXPECT_TRUE(CreateMissingSchema(db));
    EXPECT_EQ(queryInt(db, "SELECT count(*) FROM sqlite_master WHERE name IN ('serverlist','record')"), 2);
}

TEST(DatabaseCheck, GarbageIsNotADatabaseAndStaysAsItWas) {
    TempDbFile file;
    const std::string garbage(3000, '\x5a');
    writeFile(file.path(), garbage);
    SqliteDB db;
    ASSERT_TRUE(db.open(file.path()));
    EXPECT_EQ(CheckDatabase(db, kWaitMs), DatabaseState::notDatabase);
    db.close();
    EXPECT_EQ(contentOf(file.path()), garbage);
}

TEST(DatabaseCheck, ALockHeldPastTheTimeoutIsBusyAShortOneIsWaitedOut) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    db.close();
    OtherProgram other(file.path());
    ASSERT_EQ(other.run("PRAGMA journal_mode=DELETE; BEGIN EXCLUSIVE"), SQLITE_OK);
    ASSERT_TRUE(db.open(file.path()));
    EXPECT_EQ(CheckDatabase(db, 200), DatabaseState::busy);

    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.run("COMMIT");
    });
    EXPECT_EQ(CheckDatabase(db, kWaitMs), DatabaseState::usable);
    release.join();
}

// Writes refused (a read-only file or folder reports SQLITE_READONLY the same way).
TEST(DatabaseCheck, RefusedWritesAreReadOnly) {
    TempDbFile file;
    SqliteDB db;
    ASSERT_TRUE(openWithSchema(db, file));
    ASSERT_TRUE(db.execute("PRAGMA query_only=1"));
    EXPECT_EQ(CheckDatabase(db, kWaitMs), DatabaseState::readOnly);
}

TEST(DatabaseCheck, NoConnectionCannotOpen) {
    SqliteDB db;
    EXPECT_EQ(CheckDatabase(db, kWaitMs), DatabaseState::cannotOpen);
}

}  // namespace
