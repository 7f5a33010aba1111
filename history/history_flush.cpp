#include "history/history_flush.h"

void flushHistory(HistoryBook& book, HistoryWriter& writer, UtcSeconds now) {
    writer.handOver(book.takeBatch(now, false));
}

bool finishHistory(HistoryBook& book, HistoryWriter& writer, UtcSeconds now, int timeoutMs) {
    return writer.finish(book.takeBatch(now, true), timeoutMs);
}

void resumeHistory(HistoryBook& book, HistoryStore& reader, HistoryWriter& writer, UtcSeconds now) {
    book.restore(reader.loadOpen(), now);
    writer.handOver(book.takeBatch(now, true));
}
