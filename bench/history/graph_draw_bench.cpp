// The graph's drawing time per range: laying the range's rows into 1,000
// columns and drawing them into a 1,000 x 400 bitmap, as one repaint of the
// graph window does; and apart from it, reading the rows, which the window
// does when a range is chosen (and every second for the live ones).
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "bench/history/history_bench.h"
#include "history/graph_rows.h"
#include "ui/gdi_handles.h"
#include "ui/graph_painter.h"

namespace {
constexpr int kWidth = 1000, kHeight = 400;
constexpr double kDrawTargetMs = 30;
constexpr int kRepeats = 5;  // the slowest of these counts
const char* const kNames[kGraphRangeCount] = {"10 min", "1 hour", "24 hours", "7 days", "30 days", "1 year"};
}  // namespace

void benchDrawing(HistoryBook& book, HistoryStore& store, UtcSeconds now) {
    GraphHost host;
    host.hostId = 1;
    host.time = {30, 100, 200, 500};
    host.color = {0x008000, 0x0080FF, 0x0000FF, 0x606060};
    void* bits = nullptr;
    ScopedGdiObject bitmap(createDib(kWidth, kHeight, 32, &bits));
    ScopedMemoryDC dc;
    dc.select(bitmap.get());
    for (std::size_t r = 0; r < kGraphRangeCount; ++r) {
        double slowest = 0, slowestRead = 0;
        std::size_t rows = 0;
        for (int i = 0; i < kRepeats; ++i) {
            const GraphRange& range = kGraphRanges[r];
            auto start = BenchClock::now();
            const auto samples = graphRows(book, store, 1, range, now - range.span, now);
            slowestRead = std::max(slowestRead, msSince(start));
            // A repaint (resize, hover, the live ranges' second) starts here:
            // the window keeps the rows it read when the range was chosen.
            start = BenchClock::now();
            GraphPicture picture;
            picture.from = now - range.span;
            picture.to = now;
            picture.host = &host;
            const RECT area{0, 0, kWidth, kHeight};
            const RECT plot = graphPlotRect(area);
            picture.columns = buildColumns(samples, picture.from, picture.to, plot.right - plot.left);
            picture.scale = chooseScale(picture.columns);
            paintGraph(dc.get(), area, picture);
            GdiFlush();
            const double ms = msSince(start);
            if (ms > slowest) slowest = ms;
            rows = samples.size();
        }
        char name[96];
        std::snprintf(name, sizeof name, "drawing %s (%zu rows), 1,000 x 400", kNames[r], rows);
        report(name, slowest, "ms", kDrawTargetMs);
        std::snprintf(name, sizeof name, "  reading its rows when the range is chosen");
        report(name, slowestRead, "ms", kDrawTargetMs);
    }
}
