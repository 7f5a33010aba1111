#include "app/globals.h"

#include <memory>

#include "monitor/monitor_context.h"

namespace {
std::unique_ptr<SqliteDB> g_database;
bool g_released = false;
}  // namespace

void initialiseGlobals() {
    if (!g_database) g_database = std::make_unique<SqliteDB>();
}

// The connection is closed but the object kept: a monitor task still inside
// its last cycle may hold its address, and a statement on a closed
// SqliteDB fails instead of touching freed memory. The process ends next.
void releaseGlobals() {
    if (g_released) return;
    g_released = true;
    setMonitorDatabase(nullptr);
    if (g_database) g_database->close();
}

SqliteDB& programDatabase() { return *g_database; }
