#include "tests/store/temp_db.h"

#include <sqlite3.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>

#include "store/file_probe.h"
#include "store/schema.h"
#include "store/sqlite_db.h"

namespace {
std::atomic<int> counter{0};
}

TempDbFile::TempDbFile(const char* suffix) {
    std::random_device rd;
    const std::string name = "qerno-store-" + std::to_string(rd()) + "-" +
                             std::to_string(counter.fetch_add(1)) + suffix;
    std::error_code ec;
    path_ = Text((std::filesystem::temp_directory_path(ec) / name).string());
}

TempDbFile::~TempDbFile() {
    for (const char* extra : {"", "-wal", "-shm", "-journal"})
        std::remove((path_.str() + extra).c_str());
}

bool TempDbFile::exists() const { return canOpenForReading(path_); }

bool openWithSchema(SqliteDB& db, const TempDbFile& file) {
    return CreateDatabaseFile(file.path()) && db.open(file.path());
}

std::string queryText(SqliteDB& db, const std::string& utf8Sql) {
    sqlite3_stmt* stmt = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db.connection(), utf8Sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0))
        out = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    return out;
}

long long queryInt(SqliteDB& db, const std::string& utf8Sql) {
    sqlite3_stmt* stmt = nullptr;
    long long out = -1;
    if (sqlite3_prepare_v2(db.connection(), utf8Sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        out = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return out;
}

void traceStatements(SqliteDB& db, std::vector<std::string>& out) {
    sqlite3_trace_v2(
        db.connection(), SQLITE_TRACE_STMT,
        [](unsigned, void* texts, void* stmt, void*) {
            static_cast<std::vector<std::string>*>(texts)->push_back(sqlite3_sql(static_cast<sqlite3_stmt*>(stmt)));
            return 0;
        },
        &out);
}
