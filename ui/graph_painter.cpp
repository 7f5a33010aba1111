#include "ui/graph_painter.h"

#include <algorithm>
#include <cstdio>

#include "runtime/codepage.h"
#include "ui/gdi_handles.h"

namespace {

// Room around the plot for the axis labels and the loss strip.
constexpr int kAxisWidth = 64, kRightMargin = 14, kTopMargin = 12, kBottomMargin = 30;
constexpr int kLossStripHeight = 12;  // a column all lost fills it
constexpr int kLossMarkMin = 3;       // one lost cycle among many still shows
// Time labels: the first of these counts of steps that makes each step a
// whole number of minutes (of days from a week up), so labels fall evenly.
constexpr int kTimeStepCounts[] = {6, 5, 7, 4};
constexpr UtcSeconds kMinuteSeconds = 60;
constexpr int kTickLength = 4;
constexpr int kHoverBoxPadding = 6;

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kGrid = RGB(228, 228, 228);
constexpr COLORREF kAxisText = RGB(90, 90, 90);
constexpr COLORREF kNoData = RGB(240, 240, 240);
constexpr COLORREF kBand = RGB(178, 204, 240);
constexpr COLORREF kMedian = RGB(20, 70, 170);
constexpr COLORREF kLost = RGB(220, 30, 30);
constexpr COLORREF kHoverLine = RGB(120, 120, 120);
constexpr COLORREF kHoverBox = RGB(255, 255, 225);
// Threshold lines are their class colours mixed this far toward white.
constexpr int kThresholdFadePercent = 55;

constexpr UtcSeconds kDaySeconds = 86400;
constexpr UtcSeconds kTwoDays = 2 * kDaySeconds;
constexpr UtcSeconds kWeekSeconds = 7 * kDaySeconds;

int timeSteps(UtcSeconds span) {
    const UtcSeconds unit = span >= kWeekSeconds ? kDaySeconds : kMinuteSeconds;
    for (int n : kTimeStepCounts)
        if (span % n == 0 && (span / n) % unit == 0) return n;
    return kTimeStepCounts[0];
}

COLORREF faded(COLORREF c) {
    auto mix = [](int channel) { return channel + (255 - channel) * kThresholdFadePercent / 100; };
    return RGB(mix(GetRValue(c)), mix(GetGValue(c)), mix(GetBValue(c)));
}

SYSTEMTIME localParts(UtcSeconds t) {
    // FILETIME counts 100 ns from 1601; Unix seconds from 1970.
    constexpr long long kUnixEpochIn1601Seconds = 11644473600LL, kTicksPerSecond = 10000000LL;
    const unsigned long long ticks = static_cast<unsigned long long>(t + kUnixEpochIn1601Seconds) * kTicksPerSecond;
    FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&ft, &utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    return local;
}

int yOf(const RECT& plot, const GraphScale& scale, int ms) {
    const int height = plot.bottom - plot.top;
    return plot.bottom - static_cast<int>(scale.position(ms) * height + 0.5);
}

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void fill(HDC dc, const RECT& r, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void text(HDC dc, int x, int y, const std::wstring& s, UINT align) {
    SetTextAlign(dc, align);
    TextOutW(dc, x, y, s.c_str(), static_cast<int>(s.size()));
}

// Grey where the range reaches before the history, with "无数据" in it.
void paintNoData(HDC dc, const RECT& plot, const GraphPicture& p) {
    int known = 0;
    while (known < static_cast<int>(p.columns.size()) && !p.columns[known].known) ++known;
    if (known == 0) return;
    const RECT empty{plot.left, plot.top, plot.left + known, plot.bottom};
    fill(dc, empty, kNoData);
    SetTextColor(dc, kAxisText);
    text(dc, (empty.left + empty.right) / 2, (plot.top + plot.bottom) / 2, toWide(Text("无数据")), TA_CENTER | TA_BASELINE);
}

void paintLatencyAxis(HDC dc, const RECT& plot, const GraphScale& scale) {
    SetTextColor(dc, kAxisText);
    SetDCPenColor(dc, kGrid);
    for (int tick : scale.ticks()) {
        const int y = yOf(plot, scale, tick);
        line(dc, plot.left, y, plot.right, y);
        text(dc, plot.left - kTickLength, y, std::to_wstring(tick) + L" ms", TA_RIGHT | TA_BASELINE);
    }
}

void paintThresholds(HDC dc, const RECT& plot, const GraphPicture& p) {
    if (!p.host) return;
    for (std::size_t i = 0; i < p.host->time.size(); ++i) {
        const int ms = p.host->time[i];
        if (ms <= p.scale.low || ms > p.scale.high) continue;
        SetDCPenColor(dc, faded(static_cast<COLORREF>(p.host->color[i])));
        const int y = yOf(plot, p.scale, ms);
        line(dc, plot.left, y, plot.right, y);
    }
}

void paintBandAndMedian(HDC dc, const RECT& plot, const GraphPicture& p) {
    SetDCPenColor(dc, kBand);
    for (std::size_t i = 0; i < p.columns.size(); ++i) {
        const GraphColumn& c = p.columns[i];
        if (c.min < 0) continue;
        const int x = plot.left + static_cast<int>(i);
        line(dc, x, yOf(plot, p.scale, c.max), x, yOf(plot, p.scale, c.min) + 1);
    }
    SetDCPenColor(dc, kMedian);
    bool drawing = false;
    for (std::size_t i = 0; i < p.columns.size(); ++i) {
        const GraphColumn& c = p.columns[i];
        // A column with nothing answered breaks the line, but a column with
        // nothing sent (between cycles, at fine ranges) does not.
        if (c.sent == 0) continue;
        if (c.median < 0) {
            drawing = false;
            continue;
        }
        const int x = plot.left + static_cast<int>(i), y = yOf(plot, p.scale, c.median);
        if (drawing) LineTo(dc, x, y);
        else MoveToEx(dc, x, y, nullptr);
        LineTo(dc, x + 1, y);
        drawing = true;
    }
}

void paintLosses(HDC dc, const RECT& plot, const GraphPicture& p) {
    for (std::size_t i = 0; i < p.columns.size(); ++i) {
        const GraphColumn& c = p.columns[i];
        if (c.lost == 0 || c.sent == 0) continue;
        const int height = std::max<int>(kLossMarkMin, static_cast<int>(c.lost * kLossStripHeight / c.sent));
        const int x = plot.left + static_cast<int>(i);
        fill(dc, RECT{x, plot.bottom - height, x + 1, plot.bottom}, kLost);
    }
}

void paintTimeAxis(HDC dc, const RECT& plot, const GraphPicture& p) {
    SetTextColor(dc, kAxisText);
    SetDCPenColor(dc, kAxisText);
    line(dc, plot.left, plot.bottom, plot.right, plot.bottom);
    const UtcSeconds span = p.to - p.from;
    const int steps = timeSteps(span);
    for (int i = 0; i <= steps; ++i) {
        const int x = plot.left + static_cast<int>((plot.right - plot.left - 1) * static_cast<long long>(i) / steps);
        line(dc, x, plot.bottom, x, plot.bottom + kTickLength);
        const UINT align = i == 0 ? TA_LEFT : i == steps ? TA_RIGHT : TA_CENTER;
        text(dc, x, plot.bottom + kTickLength + 1, axisTimeText(p.from + span * i / steps, span), align | TA_TOP);
    }
}

std::wstring hoverText(const GraphPicture& p, int column, int width) {
    const UtcSeconds span = p.to - p.from;
    const GraphColumn& c = p.columns[static_cast<std::size_t>(column)];
    std::wstring s = localTimeText(p.from + span * column / width);
    if (c.sent == 0) return s + toWide(Text("  无检测"));
    s += toWide(Text("  发送 ")) + std::to_wstring(c.sent) + toWide(Text(" · 丢失 ")) + std::to_wstring(c.lost);
    if (c.min >= 0)
        s += toWide(Text(" · 最小 ")) + std::to_wstring(c.min) + toWide(Text(" · 中位数 ")) + std::to_wstring(c.median) +
             toWide(Text(" · 最大 ")) + std::to_wstring(c.max) + L" ms";
    return s;
}

void paintHover(HDC dc, const RECT& plot, const GraphPicture& p) {
    const int width = plot.right - plot.left;
    if (p.hover < 0 || p.hover >= static_cast<int>(p.columns.size()) || !p.columns[p.hover].known) return;
    const int x = plot.left + p.hover;
    SetDCPenColor(dc, kHoverLine);
    line(dc, x, plot.top, x, plot.bottom);
    const std::wstring s = hoverText(p, p.hover, width);
    SIZE size{};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size);
    RECT box{x + kHoverBoxPadding, plot.top + kHoverBoxPadding, 0, 0};
    box.right = box.left + size.cx + 2 * kHoverBoxPadding;
    box.bottom = box.top + size.cy + 2 * kHoverBoxPadding;
    if (box.right > plot.right) OffsetRect(&box, -(box.right - box.left) - 2 * kHoverBoxPadding, 0);
    fill(dc, box, kHoverBox);
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    text(dc, box.left + kHoverBoxPadding, box.top + kHoverBoxPadding, s, TA_LEFT | TA_TOP);
}

}  // namespace

RECT graphPlotRect(const RECT& area) {
    RECT plot{area.left + kAxisWidth, area.top + kTopMargin, area.right - kRightMargin, area.bottom - kBottomMargin};
    if (plot.right < plot.left) plot.right = plot.left;
    if (plot.bottom < plot.top) plot.bottom = plot.top;
    return plot;
}

void paintGraph(HDC dc, const RECT& area, const GraphPicture& p) {
    fill(dc, area, kBackground);
    const RECT plot = graphPlotRect(area);
    // Stock objects only: DC_PEN and DC_BRUSH take their colours per call,
    // so nothing is created that could leak.
    SelectObject(dc, GetStockObject(DC_PEN));
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    paintNoData(dc, plot, p);
    paintLatencyAxis(dc, plot, p.scale);
    paintThresholds(dc, plot, p);
    paintBandAndMedian(dc, plot, p);
    paintLosses(dc, plot, p);
    paintTimeAxis(dc, plot, p);
    paintHover(dc, plot, p);
}

std::wstring localTimeText(UtcSeconds t) {
    const SYSTEMTIME s = localParts(t);
    wchar_t buffer[32];
    swprintf(buffer, 32, L"%04u-%02u-%02u %02u:%02u:%02u", s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond);
    return buffer;
}

std::wstring axisTimeText(UtcSeconds t, UtcSeconds span) {
    const SYSTEMTIME s = localParts(t);
    wchar_t buffer[32];
    if (span <= kDaySeconds) swprintf(buffer, 32, L"%02u:%02u", s.wHour, s.wMinute);
    else if (span <= kTwoDays * 4) swprintf(buffer, 32, L"%02u-%02u %02u:%02u", s.wMonth, s.wDay, s.wHour, s.wMinute);
    else swprintf(buffer, 32, L"%04u-%02u-%02u", s.wYear, s.wMonth, s.wDay);
    return buffer;
}
