#include "history/history_flush.h"

bool flushHistory(HistoryBook& book, HistoryStore& store, UtcSeconds now, bool atEnd) {
    book.closeDue(now);
    if (!store.write(book, now, atEnd)) return false;
    book.clearWritten();
    return true;
}

bool resumeHistory(HistoryBook& book, HistoryStore& store, UtcSeconds now) {
    book.restore(store.loadOpen(), now);
    // The kept states are replaced by what is open now, so that a crash
    // before the end can never make a resumed period count twice.
    return flushHistory(book, store, now, true);
}
