// Draws one picture of the graph window into a device context: grid and
// latency axis, the "no data" part, threshold lines, the min-max band, the
// median line, lost cycles along the bottom, the time axis and the hover
// read-out. Every GDI object it makes is freed before it returns.
//
// Threads: the user-interface thread (any thread owning the DC).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "history/graph_data.h"
#include "ui/graph_window.h"

struct GraphPicture {
    std::vector<GraphColumn> columns;  // one a pixel of the plot's width
    GraphScale scale;
    UtcSeconds from = 0, to = 0;
    const GraphHost* host = nullptr;
    int hover = -1;  // the column under the pointer, -1 none
};

// The plot inside the drawing area (room left for the axes).
RECT graphPlotRect(const RECT& area);
void paintGraph(HDC dc, const RECT& area, const GraphPicture& picture);

// Local time of a UTC second, as the windows show it: with a date
// ("yyyy-MM-dd HH:mm:ss") or as an axis label fitting `span`.
std::wstring localTimeText(UtcSeconds t);
std::wstring axisTimeText(UtcSeconds t, UtcSeconds span);
