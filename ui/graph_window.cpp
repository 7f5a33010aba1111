#include "ui/graph_window.h"

#include <commdlg.h>
#include <windowsx.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "runtime/codepage.h"
#include "ui/gdi_handles.h"
#include "ui/graph_painter.h"

namespace {

const wchar_t kClassName[] = L"QernoGraphWindow";
constexpr int kWidth = 1000, kHeight = 480;  // first size; the user may resize
constexpr int kMinWidth = 480, kMinHeight = 260;
constexpr int kBarHeight = 34;  // the range and export buttons
constexpr int kButtonWidth = 70, kButtonHeight = 24, kButtonGap = 4, kBarPadding = 5;
constexpr int kRangeButtonBase = 100;  // control id of the first range button
constexpr int kExportButton = 200;
constexpr UINT_PTR kLiveTimer = 1;
constexpr UINT kLiveIntervalMs = 1000;  // the fine ranges move every second
constexpr std::size_t kFirstRange = 1;  // 1 小时 when a window opens

const char* const kRangeLabels[kGraphRangeCount] = {"10 分钟", "1 小时", "24 小时", "7 天", "30 天", "1 年"};

GraphSource& graphSource() {
    static GraphSource source;
    return source;
}

// The open windows by host: one window per host.
std::map<int, HWND>& openWindows() {
    static std::map<int, HWND> windows;
    return windows;
}

struct GraphState {
    GraphHost host;
    std::size_t range = kFirstRange;
    std::vector<GraphSample> samples;  // the shown range's rows
    GraphPicture picture;
    HWND window = nullptr;

    RECT drawArea() const {
        RECT r{};
        GetClientRect(window, &r);
        r.top += kBarHeight;
        return r;
    }

    // Reads the range's rows afresh and lays them into columns.
    void reload() {
        const GraphSource& source = graphSource();
        const GraphRange& r = kGraphRanges[range];
        picture.to = source.now ? source.now() : 0;
        picture.from = picture.to - r.span;
        samples = source.rows ? source.rows(host.hostId, r, picture.from, picture.to) : std::vector<GraphSample>();
        relayout();
    }
    void relayout() {
        const RECT plot = graphPlotRect(drawArea());
        picture.columns = buildColumns(samples, picture.from, picture.to, plot.right - plot.left);
        picture.scale = chooseScale(picture.columns);
        picture.host = &host;
        InvalidateRect(window, nullptr, FALSE);
    }
};

GraphState* stateOf(HWND hwnd) { return reinterpret_cast<GraphState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

std::wstring titleOf(const GraphHost& host) {
    return toWide(Text("图表 - " + host.name.str() + " (" + host.address.str() + ")"));
}

HWND makeButton(HWND parent, const wchar_t* caption, int id, int x, DWORD style) {
    HWND b = CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | WS_VISIBLE | style, x, kBarPadding, kButtonWidth,
                             kButtonHeight, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return b;
}

void onCreate(GraphState& s) {
    int x = kBarPadding;
    for (std::size_t i = 0; i < kGraphRangeCount; ++i, x += kButtonWidth + kButtonGap)
        makeButton(s.window, toWide(Text(kRangeLabels[i])).c_str(), kRangeButtonBase + static_cast<int>(i), x,
                   BS_AUTORADIOBUTTON | BS_PUSHLIKE | (i == 0 ? WS_GROUP : 0));
    makeButton(s.window, toWide(Text("导出")).c_str(), kExportButton, x + kButtonGap * 2, BS_PUSHBUTTON | WS_GROUP);
    SetTimer(s.window, kLiveTimer, kLiveIntervalMs, nullptr);
}

void onPaint(GraphState& s) {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(s.window, &ps);
    RECT client{};
    GetClientRect(s.window, &client);
    const RECT area = s.drawArea();
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width > 0 && height > 0) {
        // Drawn off screen and copied in one go: no flicker.
        ScopedGdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
        ScopedMemoryDC memory;
        memory.select(bitmap.get());
        paintGraph(memory.get(), RECT{0, 0, width, height}, s.picture);
        BitBlt(screen, area.left, area.top, width, height, memory.get(), 0, 0, SRCCOPY);
    }
    RECT bar{client.left, client.top, client.right, kBarHeight};
    FillRect(screen, &bar, GetSysColorBrush(COLOR_BTNFACE));
    EndPaint(s.window, &ps);
}

void onMouseMove(GraphState& s, int x, int y) {
    const RECT plot = graphPlotRect(s.drawArea());
    const int column = (x >= plot.left && x < plot.right && y >= kBarHeight) ? x - plot.left : -1;
    if (column == s.picture.hover) return;
    s.picture.hover = column;
    if (column >= 0) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, s.window, 0};
        TrackMouseEvent(&track);
    }
    InvalidateRect(s.window, nullptr, FALSE);
}

void askAndExport(GraphState& s) {
    wchar_t path[MAX_PATH] = L"history.csv";
    const std::wstring filter = toWide(Text("CSV 文件")) + std::wstring(L"\0*.csv\0", 7);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = s.window;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"csv";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (GetSaveFileNameW(&ofn)) exportGraph(s.window, path);
}

void onCommand(GraphState& s, int id) {
    if (id >= kRangeButtonBase && id < kRangeButtonBase + static_cast<int>(kGraphRangeCount)) {
        showGraphRange(s.window, static_cast<std::size_t>(id - kRangeButtonBase));
    } else if (id == kExportButton) {
        askAndExport(s);
    }
    SetFocus(s.window);  // keys (Esc) come to the window, not the button
}

LRESULT CALLBACK graphProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* s = static_cast<GraphState*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        s->window = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    }
    GraphState* s = stateOf(hwnd);
    if (!s) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CREATE: onCreate(*s); return 0;
    case WM_SIZE: s->relayout(); return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {kMinWidth, kMinHeight};
        return 0;
    case WM_ERASEBKGND: return 1;  // the paint covers everything
    case WM_PAINT: onPaint(*s); return 0;
    case WM_TIMER:
        if (kGraphRanges[s->range].live) s->reload();
        return 0;
    case WM_MOUSEMOVE: onMouseMove(*s, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_MOUSELEAVE: onMouseMove(*s, -1, -1); return 0;
    case WM_COMMAND: onCommand(*s, LOWORD(wp)); return 0;
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE) DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY: KillTimer(hwnd, kLiveTimer); return 0;
    case WM_NCDESTROY: {
        openWindows().erase(s->host.hostId);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete s;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

bool registerClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &wc)) return true;
    wc.lpfnWndProc = graphProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

void setGraphSource(GraphSource source) { graphSource() = std::move(source); }

HWND graphWindowOf(int hostId) {
    const auto it = openWindows().find(hostId);
    return it == openWindows().end() ? nullptr : it->second;
}

HWND openGraphWindow(const GraphHost& host, HWND owner) {
    if (HWND open = graphWindowOf(host.hostId)) {
        ShowWindow(open, SW_RESTORE);
        SetForegroundWindow(open);
        return open;
    }
    if (!registerClass()) return nullptr;
    auto state = std::make_unique<GraphState>();
    state->host = host;
    HWND hwnd = CreateWindowExW(0, kClassName, titleOf(host).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                CW_USEDEFAULT, CW_USEDEFAULT, kWidth, kHeight, owner, nullptr,
                                GetModuleHandleW(nullptr), state.get());
    if (!hwnd) return nullptr;
    GraphState* s = state.release();  // the window owns it now (freed at WM_NCDESTROY)
    openWindows()[host.hostId] = hwnd;
    showGraphRange(hwnd, s->range);
    ShowWindow(hwnd, SW_SHOW);
    SetFocus(hwnd);
    return hwnd;
}

void closeGraphWindow(int hostId) {
    if (HWND hwnd = graphWindowOf(hostId)) DestroyWindow(hwnd);
}

std::size_t graphRangeOf(HWND window) {
    const GraphState* s = stateOf(window);
    return s ? s->range : 0;
}

void showGraphRange(HWND window, std::size_t range) {
    GraphState* s = stateOf(window);
    if (!s || range >= kGraphRangeCount) return;
    s->range = range;
    CheckRadioButton(window, kRangeButtonBase, kRangeButtonBase + static_cast<int>(kGraphRangeCount) - 1,
                     kRangeButtonBase + static_cast<int>(range));
    s->picture.hover = -1;
    s->reload();
}

bool exportGraph(HWND window, const std::wstring& path) {
    GraphState* s = stateOf(window);
    if (!s) return false;
    const std::string csv =
        graphCsv(s->samples, [](UtcSeconds t) { return gbkToUtf8(fromWide(localTimeText(t).c_str())); });
    const std::unique_ptr<FILE, decltype(&fclose)> file(_wfopen(path.c_str(), L"wb"), &fclose);
    return file && fwrite(csv.data(), 1, csv.size(), file.get()) == csv.size() && fflush(file.get()) == 0;
}
