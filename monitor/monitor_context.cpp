#include "monitor/monitor_context.h"

#include <atomic>

namespace {

std::atomic<SqliteDB*> g_db{nullptr};
std::atomic<UiReceiver> g_receiver{0};
std::atomic<LockHandle> g_logLock{0};
std::atomic<LogWriter*> g_logWriter{nullptr};

}  // namespace

void setMonitorDatabase(SqliteDB* db) { g_db.store(db); }
void setMonitorReceiver(UiReceiver receiver) { g_receiver.store(receiver); }
void setMonitorLogLock(LockHandle lock) { g_logLock.store(lock); }
void setMonitorLogWriter(LogWriter* writer) { g_logWriter.store(writer); }

SqliteDB* monitorDatabase() { return g_db.load(); }
UiReceiver monitorReceiver() { return g_receiver.load(); }
LockHandle monitorLogLock() { return g_logLock.load(); }
LogWriter* monitorLogWriter() { return g_logWriter.load(); }
