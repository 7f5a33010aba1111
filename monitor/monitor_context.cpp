#include "monitor/monitor_context.h"

#include <atomic>

#include "monitor/report_mailbox.h"

namespace {

std::atomic<SqliteDB*> g_db{nullptr};
std::atomic<LockHandle> g_logLock{0};
std::atomic<LogWriter*> g_logWriter{nullptr};

}  // namespace

void setMonitorDatabase(SqliteDB* db) { g_db.store(db); }
void setMonitorReceiver(UiReceiver receiver) { monitorReports().setReceiver(receiver); }
void setMonitorLogLock(LockHandle lock) { g_logLock.store(lock); }
void setMonitorLogWriter(LogWriter* writer) { g_logWriter.store(writer); }

SqliteDB* monitorDatabase() { return g_db.load(); }
UiReceiver monitorReceiver() { return monitorReports().receiver(); }
LockHandle monitorLogLock() { return g_logLock.load(); }
LogWriter* monitorLogWriter() { return g_logWriter.load(); }

ReportMailbox& monitorReports() {
    // Never destroyed: a task still ending as the process exits may post.
    static ReportMailbox* const mailbox = new ReportMailbox;
    return *mailbox;
}
