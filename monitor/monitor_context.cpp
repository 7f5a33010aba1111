#include "monitor/monitor_context.h"

#include <atomic>

namespace {

std::atomic<SqliteDB*> g_db{nullptr};
std::atomic<UiReceiver> g_receiver{0};
std::atomic<LockHandle> g_logLock{0};

}  // namespace

void setMonitorDatabase(SqliteDB* db) { g_db.store(db); }
void setMonitorReceiver(UiReceiver receiver) { g_receiver.store(receiver); }
void setMonitorLogLock(LockHandle lock) { g_logLock.store(lock); }

SqliteDB* monitorDatabase() { return g_db.load(); }
UiReceiver monitorReceiver() { return g_receiver.load(); }
LockHandle monitorLogLock() { return g_logLock.load(); }
