// The graph window on real windows under Wine: one window per host with
// its title, ranges, resizing, Esc and closing by host; what it draws (the
// no-data part, the band, lost cycles, the threshold lines) read back from
// its pixels; "导出" writing the shown rows. With QERNO_UI_SHOTS set to a
// folder it also saves each range as a bitmap there (scripts/screenshots-history).
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime/codepage.h"
#include "tests/ui/ui_test_support.h"
#include "tests/ui/screen_capture.h"
#include "ui/graph_painter.h"
#include "ui/graph_window.h"

namespace {

constexpr UtcSeconds kNow = 1765350000;           // a fixed clock: 2025-12-10 07:00:00 UTC
constexpr UtcSeconds kRecentKept = 40 * 60;       // the recent cycles reach 40 minutes back
constexpr UtcSeconds kStoredKept = 200 * 86400;   // stored rows reach 200 days back
constexpr int kLostEvery = 37;                    // every 37th cycle (or row) loses echoes
constexpr COLORREF kLostRed = RGB(220, 30, 30);
constexpr COLORREF kNoDataGrey = RGB(240, 240, 240);
constexpr COLORREF kBandBlue = RGB(178, 204, 240);
constexpr COLORREF kMedianBlue = RGB(20, 70, 170);
// The no-data part is grey from top to bottom; a row across the plot finds
// hundreds of its pixels, where the axis labels' smoothed edges give a few.
constexpr int kNoDataPixelsInARow = 100;

// A line around 20 ms by day, 60 ms in the evening, with spikes.
int latencyAt(UtcSeconds t) {
    const double hour = static_cast<double>(t % 86400) / 3600;
    const int wave = static_cast<int>(20 + 40 * std::exp(-std::pow((hour - 13) / 2.5, 2)));
    return wave + static_cast<int>(4 * std::sin(static_cast<double>(t) / 40)) + ((t / 60) % 97 == 0 ? 180 : 0);
}

std::vector<GraphSample> generatedRows(int, const GraphRange& range, UtcSeconds from, UtcSeconds to) {
    std::vector<GraphSample> rows;
    if (range.period == kEachCycle) {
        for (UtcSeconds t = std::max(from, kNow - kRecentKept); t < to; ++t) {
            const bool lost = t % kLostEvery == 0;
            rows.push_back(sampleOf({t, !lost, lost ? 0 : latencyAt(t)}));
        }
        return rows;
    }
    const UtcSeconds first = std::max(from, kNow - kStoredKept) / range.period * range.period;
    for (UtcSeconds t = first; t < to; t += range.period) {
        GraphSample s{t, range.period, {}};
        s.figures.sent = range.period;
        s.figures.lost = (t / range.period) % kLostEvery == 0 ? range.period / 4 : 0;
        const int base = latencyAt(t);
        s.figures.min = base - 3;
        s.figures.p50 = s.figures.avg = base;
        s.figures.p90 = base + 6;
        s.figures.max = base + 25;
        s.figures.jitter = 2;
        rows.push_back(s);
    }
    return rows;
}

GraphHost host(int id, const char* name) {
    GraphHost h;
    h.hostId = id;
    h.name = name;
    h.address = "198.18.1.2";
    h.time = {30, 100, 200, 500};
    h.color = {0x008000, 0x0080FF, 0x0000FF, 0x606060};
    return h;
}

class GraphWindowTest : public testing::Test {
protected:
    void SetUp() override { setGraphSource({generatedRows, [] { return kNow; }}); }
    void TearDown() override {
        for (int id : {1, 2}) closeGraphWindow(id);
        pump();
    }
    static void settle(HWND hwnd) {
        pump();
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        pump();
    }
};

TEST_F(GraphWindowTest, OneResizableWindowPerHostWithItsTitle) {
    HWND first = openGraphWindow(host(1, "web"), nullptr);
    ASSERT_TRUE(first);
    EXPECT_EQ(textOf(first), Text("图表 - web (198.18.1.2)"));
    EXPECT_TRUE(GetWindowLongW(first, GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(openGraphWindow(host(1, "web"), nullptr), first) << "the open window comes to the front";
    HWND second = openGraphWindow(host(2, "dns"), nullptr);
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_TRUE(IsWindowVisible(first) && IsWindowVisible(second)) << "several at once, modeless";

    closeGraphWindow(2);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(graphWindowOf(2), nullptr);
    SendMessageW(first, WM_KEYDOWN, VK_ESCAPE, 0);
    pump();
    EXPECT_FALSE(IsWindow(first)) << "Esc closes";
    EXPECT_EQ(graphWindowOf(1), nullptr);
}

TEST_F(GraphWindowTest, DrawsNoDataBandLossesAndThresholdsForEveryRange) {
    HWND w = openGraphWindow(host(1, "web"), nullptr);
    ASSERT_TRUE(w);
    SetWindowPos(w, HWND_TOP, 0, 0, 1000, 480, SWP_NOMOVE);
    const char* shots = std::getenv("QERNO_UI_SHOTS");
    for (std::size_t range = 0; range < kGraphRangeCount; ++range) {
        showGraphRange(w, range);
        settle(w);
        const Capture c(w);
        if (shots) c.save(shotPath(shots, "graph-range-" + std::to_string(range)));
        // At 10 minutes a column holds at most one cycle: a point, no band.
        EXPECT_EQ(c.countInRows(kBandBlue, 0, c.height) > 0, range != 0) << "the min-max band, range " << range;
        EXPECT_GT(c.countInRows(kMedianBlue, 0, c.height), 0) << "the median line, range " << range;
        EXPECT_GT(c.countInRows(kLostRed, 0, c.height), 0) << "lost cycles, range " << range;
        // The recent cycles reach 40 of the hour's 60 minutes, the stored
        // rows 200 of the year's 365 days: the rest is "no data".
        const bool partial = range == 1 || range == 5;
        const int row = c.height * 3 / 4;
        EXPECT_EQ(c.countInRows(kNoDataGrey, row, row + 1) > kNoDataPixelsInARow, partial) << "no data, range " << range;
        EXPECT_EQ(graphRangeOf(w), range);
    }
    if (shots) {  // and one with the pointer on it
        showGraphRange(w, 2);
        SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(600, 200));
        settle(w);
        Capture(w).save(shotPath(shots, "graph-hover"));
    }
}

TEST_F(GraphWindowTest, HoverMarksTheColumnAndMovingOutClearsIt) {
    HWND w = openGraphWindow(host(1, "web"), nullptr);
    ASSERT_TRUE(w);
    SetWindowPos(w, HWND_TOP, 0, 0, 1000, 480, SWP_NOMOVE);
    showGraphRange(w, 0);
    settle(w);
    const Capture before(w);
    SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(500, 250));
    settle(w);
    const Capture during(w);
    int changed = 0;
    for (int y = 0; y < during.height; ++y) changed += during.at(500, y) != before.at(500, y);
    EXPECT_GT(changed, 50) << "a line down the hovered column and the read-out beside it";
    SendMessageW(w, WM_MOUSELEAVE, 0, 0);
    settle(w);
    const Capture after(w);
    int restored = 0;
    for (int y = 0; y < after.height; ++y) restored += after.at(500, y) != before.at(500, y);
    EXPECT_EQ(restored, 0);
}

TEST_F(GraphWindowTest, ExportWritesTheShownRowsAsCsv) {
    HWND w = openGraphWindow(host(1, "web"), nullptr);
    ASSERT_TRUE(w);
    showGraphRange(w, 2);  // 24 小时: 1440 minute rows
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"qerno-graph-export.csv";
    ASSERT_TRUE(exportGraph(w, path));
    std::ifstream in(path.c_str(), std::ios::binary);
    const std::string csv((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    DeleteFileW(path.c_str());
    const std::string header = "\xEF\xBB\xBF\xE6\x97\xB6\xE9\x97\xB4,";  // BOM, 时间
    EXPECT_EQ(csv.compare(0, header.size(), header), 0);
    std::size_t lines = 0;
    for (char ch : csv) lines += ch == '\n';
    EXPECT_EQ(lines, 1u + 1440u);
    // The first row: local time, then the figures as plain integers.
    const std::size_t second = csv.find('\n') + 1;
    const std::string row = csv.substr(second, csv.find('\r', second) - second);
    const GraphSample first = generatedRows(1, kGraphRanges[2], kNow - 86400, kNow).front();
    const std::string figures = "," + std::to_string(first.figures.sent) + "," + std::to_string(first.figures.lost) +
                                "," + std::to_string(*first.figures.min) + "," + std::to_string(*first.figures.avg);
    EXPECT_NE(row.find(figures), std::string::npos) << row;
    EXPECT_EQ(row.find("-12-"), 4u) << "a local date first: " << row;
}

}  // namespace
