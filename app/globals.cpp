#include "app/globals.h"

#include <memory>

namespace {
std::unique_ptr<SqliteDB> g_database;
}  // namespace

void initialiseGlobals() {
    if (!g_database) g_database = std::make_unique<SqliteDB>();
}

void releaseGlobals() {
    if (g_database) g_database->close();
    g_database.reset();
}

SqliteDB& programDatabase() { return *g_database; }
