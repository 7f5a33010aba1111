// The history's hand-overs to its writer: once a minute, at start and at
// the program's end. What the user-interface thread does here is cheap: it
// closes the periods that have ended and moves their rows to the writer
// thread, which writes them (history/history_writer.h).
//
// Threads: the user-interface thread only (the book's).
#pragma once

#include "history/history_book.h"
#include "history/history_store.h"
#include "history/history_writer.h"

// Closes the periods that have ended and hands what is pending to the
// writer; returns at once.
void flushHistory(HistoryBook& book, HistoryWriter& writer, UtcSeconds now);

// At the end, after the tasks have stopped: hands over everything, with
// the open periods' states kept for the next run, and waits at most
// timeoutMs for the writer to write it and end. True when it did.
bool finishHistory(HistoryBook& book, HistoryWriter& writer, UtcSeconds now, int timeoutMs);

// At start, before any task: resumes the open periods kept by the last run
// (read through `reader`), or closes those that have ended, and hands over
// what that closed with the open states now, so that a crash before the end
// can never make a resumed period count twice.
void resumeHistory(HistoryBook& book, HistoryStore& reader, HistoryWriter& writer, UtcSeconds now);
