#include "history/history_flush.h"

#include "runtime/lock_guard.h"

bool flushHistory(HistoryBook& book, HistoryStore& store, UtcSeconds now, bool atEnd, LockHandle logLock) {
    book.closeDue(now);
    const LockGuard noLogWrites(logLock);
    if (!store.write(book, now, atEnd)) return false;
    book.clearWritten();
    return true;
}

bool resumeHistory(HistoryBook& book, HistoryStore& store, UtcSeconds now, LockHandle logLock) {
    book.restore(store.loadOpen(), now);
    // The kept states are replaced by what is open now, so that a crash
    // before the end can never make a resumed period count twice.
    return flushHistory(book, store, now, true, logLock);
}
