#include "monitor/log_write.h"

#include <chrono>
#include <thread>

#include "runtime/lock_guard.h"
#include "store/sqlite_db.h"

bool WriteLogRow(SqliteDB& db, LockHandle logLock, const Text& sql, int giveUpMs) {
    for (int waited = 0;; waited += kLogBusyRetryMs) {
        bool busy = false;
        {
            const LockGuard guard(logLock);  // not yet made (0) or already deleted: no lock
            if (db.execute(sql, busy)) return true;
        }
        if (!busy || waited >= giveUpMs) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kLogBusyRetryMs));
    }
}
