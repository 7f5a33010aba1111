// The graph window of one host: "图表 - 名称 (地址)", a range (10 分钟 to
// 1 年) of its history drawn a pixel column at a time, hover read-out,
// "导出" to CSV. One window per host, several at once, modeless and
// resizable; Esc closes it.
//
// Threads: the user-interface thread only.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "history/graph_data.h"
#include "runtime/text.h"
#include "store/host_record.h"

struct GraphHost {
    int hostId = 0;
    Text name, address;
    std::array<std::int32_t, kHostClasses> time{}, color{};  // the host's thresholds and their colours
};

// The rows of a range of one host with from <= start < to (kEachCycle: its
// recent cycles), oldest first; and the clock. Set once by the program.
struct GraphSource {
    std::function<std::vector<GraphSample>(int hostId, const GraphRange& range, UtcSeconds from, UtcSeconds to)>
        rows;
    std::function<UtcSeconds()> now;
};
void setGraphSource(GraphSource source);

// Opens the host's window, or brings its open one to the front; owned by
// `owner` (it goes with it). The window; nullptr when it could not be made.
HWND openGraphWindow(const GraphHost& host, HWND owner);
// The host's open window, nullptr for none.
HWND graphWindowOf(int hostId);
// A deleted host's window closes.
void closeGraphWindow(int hostId);

// The range shown (index into kGraphRanges) and choosing one, as its button does.
std::size_t graphRangeOf(HWND window);
void showGraphRange(HWND window, std::size_t range);
// Writes the shown range's CSV to `path` (what "导出" does after its dialog).
bool exportGraph(HWND window, const std::wstring& path);
