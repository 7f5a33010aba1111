// The rows a graph range shows for one host: each cycle of the recent hour
// from memory, or the closed periods of the range's kind (in the file or
// with the writer) together with those closed since the last hand-over and
// the one still open, so that a coarse range reaches up to now.
//
// Threads: the user-interface thread (the book's and the store's).
#pragma once

#include <functional>
#include <vector>

#include "history/graph_data.h"
#include "history/history_book.h"
#include "history/history_store.h"

// The closed periods the book no longer holds, of one host and period kind
// with from <= start < to (HistoryWriter::closedRows in the program).
using ClosedRows = std::function<std::vector<StoredPeriod>(std::int32_t hostId, int period, UtcSeconds from,
                                                           UtcSeconds to)>;

std::vector<GraphSample> graphRows(const HistoryBook& book, const ClosedRows& closed, std::int32_t hostId,
                                   const GraphRange& range, UtcSeconds from, UtcSeconds to);
// The same over a file that nothing writes meanwhile (tools, benchmarks).
std::vector<GraphSample> graphRows(const HistoryBook& book, HistoryStore& store, std::int32_t hostId,
                                   const GraphRange& range, UtcSeconds from, UtcSeconds to);
