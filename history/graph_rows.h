// The rows a graph range shows for one host: each cycle of the recent hour
// from memory, or the stored periods of the range's kind together with
// those closed since the last write and the one still open, so that a
// coarse range reaches up to now.
//
// Threads: the user-interface thread (the book's and the store's).
#pragma once

#include <vector>

#include "history/graph_data.h"
#include "history/history_book.h"
#include "history/history_store.h"

std::vector<GraphSample> graphRows(const HistoryBook& book, HistoryStore& store, std::int32_t hostId,
                                   const GraphRange& range, UtcSeconds from, UtcSeconds to);
