// qerno-outage-probe: times the running program's window from another
// process of the same Wine prefix, for scripts/bench-outage. Prints one line
// of "name=value" figures; times in milliseconds.
//   answers TITLE SECONDS   a WM_NULL sent every kSampleGapMs for SECONDS:
//                           samples, p50, p99, max, and how many got no answer
//                           within kAnswerLimitMs (counted at that limit)
//   clear-log TITLE         the log queried, then "清空日志" on the log page,
//                           answered Yes: the time from the answer to the log
//                           list emptied (the rows deleted), and to the box
//                           that reports the result
//   delete-host TITLE       the first host row selected, "删除" from its menu:
//                           the time from the choice to the row gone
// Exit code 0 when the figure was taken, 1 when a window, box or menu did not
// appear, 2 for a usage error.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/helper/driver.h"
#include "tests/e2e/helper/remote_buffer.h"

namespace {

constexpr int kSampleGapMs = 20;
constexpr UINT kAnswerLimitMs = 5000;
constexpr int kPollMs = 2;
constexpr int kDoneLimitMs = 30000;
// The main window's controls, by id.
constexpr int kTabs = 1, kHostList = 2, kClearLogButton = 5, kQueryButton = 11, kLogList = 12;
constexpr int kLogPage = 1;
const std::wstring kInfoCaption = L"\u4fe1\u606f\uff1a";  // 信息：
const std::wstring kDeleteItem = L"\u5220\u9664";         // 删除

// The main window: the top-level window with this title that holds the host
// list (a balloon of the notification area may bear the same title and go).
HWND findMainWindow(const std::wstring& title) {
    for (int waited = 0; waited < kDoneLimitMs; waited += kSampleGapMs) {
        HWND window = nullptr;
        while ((window = FindWindowExW(nullptr, window, nullptr, title.c_str())) != nullptr)
            if (GetDlgItem(window, kHostList)) return window;
        Sleep(kSampleGapMs);
    }
    return nullptr;
}

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart * 1000.0 / frequency.QuadPart;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

int answers(HWND window, int seconds) {
    std::vector<double> times;
    int unanswered = 0;
    const double until = nowMs() + seconds * 1000.0;
    while (nowMs() < until) {
        const double from = nowMs();
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &result)) {
            if (!IsWindow(window)) return 1;
            ++unanswered;
        }
        times.push_back(nowMs() - from);
        Sleep(kSampleGapMs);
    }
    std::printf("samples=%zu p50_ms=%.1f p99_ms=%.1f max_ms=%.1f unanswered=%d\n", times.size(),
                percentile(times, 0.5), percentile(times, 0.99), percentile(times, 1.0), unanswered);
    return 0;
}

// A box with this caption of the program other than `besides`, and its text.
HWND otherBox(HWND besides) {
    HWND box = nullptr;
    while ((box = FindWindowExW(nullptr, box, L"#32770", kInfoCaption.c_str())) != nullptr)
        if (box != besides && IsWindowVisible(box)) return box;
    return nullptr;
}

int rowCount(HWND list);

// What did not happen within kDoneLimitMs, for the figure's line.
int failed(const char* what, int shown) {
    std::printf("failed=\"%s within %d ms\" rows_shown=%d\n", what, kDoneLimitMs, shown);
    return 1;
}

int clearLog(HWND window) {
    e2e::selectTab(e2e::control(window, kTabs), kLogPage);
    HWND log = e2e::control(window, kLogList);
    e2e::pressButton(e2e::control(window, kQueryButton));
    const double queried = nowMs();
    int shown = 0;
    while ((shown = rowCount(log)) <= 0 && nowMs() - queried < kDoneLimitMs) Sleep(kPollMs);
    const double pressed = nowMs();
    e2e::pressButton(e2e::control(window, kClearLogButton));
    HWND ask = nullptr;
    while (!(ask = otherBox(nullptr)) && nowMs() - pressed < kDoneLimitMs) Sleep(kPollMs);
    if (!ask) return failed("no question box", shown);
    const double askMs = nowMs() - pressed;
    const double from = nowMs();
    e2e::answerMessageBox(ask, IDYES);
    while (rowCount(log) > 0 && nowMs() - from < kDoneLimitMs) Sleep(kPollMs);
    const double emptiedMs = nowMs() - from;
    HWND done = nullptr;
    while (!(done = otherBox(ask)) && nowMs() - from < kDoneLimitMs) Sleep(kPollMs);
    const double ms = nowMs() - from;
    if (!done) return failed("no result box", shown);
    std::printf("clear_ms=%.1f rows_shown=%d box_ms=%.1f question_box_ms=%.1f result=%s\n", emptiedMs, shown, ms,
                askMs, e2e::utf8(e2e::text(GetDlgItem(done, 0xFFFF))).c_str());
    e2e::answerMessageBox(done, IDOK);
    e2e::selectTab(e2e::control(window, kTabs), 0);
    return 0;
}

int rowCount(HWND list) {
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &count)) return -1;
    return static_cast<int>(count);
}

// Selects only the first row: the item state travels in the program's memory.
bool selectFirstRow(HWND list) {
    e2e::RemoteBuffer remote(list, sizeof(LVITEMW));
    if (!remote.valid()) return false;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    remote.write(0, &item, sizeof item);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote.at(0)));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    remote.write(0, &item, sizeof item);
    return SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(remote.at(0))) != 0;
}

int deleteHost(HWND window) {
    HWND list = e2e::control(window, kHostList);
    const int before = rowCount(list);
    if (before <= 0 || !selectFirstRow(list)) return 1;
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT r{};
    GetClientRect(header, &r);
    e2e::rightClick(list, 60, r.bottom + 8);
    if (!e2e::findPopupMenu(kDoneLimitMs)) return failed("no host menu", before);
    const double from = nowMs();
    if (!e2e::chooseMenuItem(kDeleteItem)) return failed("no delete item", before);
    int after = before;
    while ((after = rowCount(list)) == before && nowMs() - from < kDoneLimitMs) Sleep(kPollMs);
    const double ms = nowMs() - from;
    std::printf("delete_ms=%.1f rows_before=%d rows_after=%d\n", ms, before, after);
    return after == before - 1 ? 0 : 1;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return 2;
    const std::string verb = e2e::utf8(argv[1]);
    HWND window = findMainWindow(argv[2]);
    if (!window) return 1;
    if (verb == "answers" && argc > 3) return answers(window, _wtoi(argv[3]));
    if (verb == "clear-log") return clearLog(window);
    if (verb == "delete-host") return deleteHost(window);
    return 2;
}
