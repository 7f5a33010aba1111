#include "app/program_history.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "app/exit_steps.h"
#include "app/globals.h"
#include "app/main_actions.h"
#include "history/graph_rows.h"
#include "history/history_flush.h"
#include "history/statistics_text.h"
#include "history/threshold_suggestion.h"
#include "monitor/running_tasks.h"
#include "monitor/status_receiver.h"
#include "runtime/win32/list_view_commands.h"
#include "runtime/win32/window_commands.h"
#include "ui/actions.h"
#include "ui/graph_window.h"
#include "ui/host_form.h"
#include "ui/host_stats_tip.h"
#include "ui/main_window.h"
#include "ui/threshold_suggestion_view.h"

namespace {

// The writer thread writes with a connection of its own; the windows read
// with `reader`, on this thread (WAL: a read never waits for the writer).
struct ProgramHistory {
    HistoryBook book;
    HistoryWriter writer;
    HistoryStore reader;
    UINT_PTR timer = 0;
    std::optional<ThresholdSuggestion> suggestion;  // for the host dialog's host
};

ProgramHistory& history() {
    static ProgramHistory h;
    return h;
}

// End-to-end tests make the batch come sooner than once a minute, so that
// a minute's row is in the file seconds after the minute ends: the
// environment's QERNO_HISTORY_FLUSH_MS, read once at start. Rows still
// close only when their period has ended.
UINT flushIntervalMs() {
    constexpr DWORD kDigits = 16;
    wchar_t value[kDigits] = {};
    const DWORD length = GetEnvironmentVariableW(L"QERNO_HISTORY_FLUSH_MS", value, kDigits);
    const int ms = length > 0 && length < kDigits ? _wtoi(value) : 0;
    return ms > 0 ? static_cast<UINT>(ms) : kHistoryFlushIntervalMs;
}

// Only the hand-over runs here: the writer thread writes. A batch that
// fails (the file busy for longer than the timeout, a full disk) stays with
// the writer and goes with the next minute's.
void CALLBACK onFlushTimer(HWND, UINT, UINT_PTR, DWORD) {
    flushHistory(history().book, history().writer, utcNow());
}

std::vector<GraphSample> rowsForGraph(int hostId, const GraphRange& range, UtcSeconds from, UtcSeconds to) {
    ProgramHistory& h = history();
    const ClosedRows closed = [&h](std::int32_t id, int period, UtcSeconds first, UtcSeconds end) {
        return h.writer.closedRows(h.reader, id, period, first, end);
    };
    return graphRows(h.book, closed, hostId, range, from, to);
}

// An answered cycle has status 0; any other was sent and lost. A late
// report of a stopped (or deleted) host feeds nothing: its task is over.
void onStatus(const TaskStatusMessage& message) {
    if (!runningTasks().isRunning(message.hostId)) return;
    const Cycle cycle{message.status == 0, message.roundTripTime, message.level};
    history().book.record(message.hostId, utcNow(), cycle);
}

void onTaskChange(std::int32_t hostId, RunningTasks::Change change) {
    if (change == RunningTasks::Change::started) history().book.taskStarted(hostId, utcNow());
}

// "图表": the graph of the host the menu was opened on (the first selected row).
void showCurrentHostGraph() {
    const ::Unit list = unitOf(mainWindow(), MainWin::超级列表框_通讯);
    const Value v = getProperty(list, Property::FirstSelected);
    const std::int32_t* row = std::get_if<std::int32_t>(&v);
    if (!row || *row < 0) return;
    GraphHost host;
    host.hostId = itemData(list, *row);
    HostForm form;
    if (!loadHostForm(programDatabase(), host.hostId, form)) return;
    host.name = form.name;
    host.address = form.address;
    host.time = form.time;
    host.color = form.color;
    openGraphWindow(host, mainWindow().handle());
}

// The host dialog opened: "建议阈值" is offered for an existing host with
// an hour of history in the last 7 days.
void onHostDialogShown(int hostId) {
    ProgramHistory& h = history();
    h.suggestion.reset();
    if (hostId > 0) {
        const UtcSeconds now = utcNow();
        const GraphRange week{kSuggestionSpan, kSuggestionPeriod, false};
        h.suggestion = suggestThresholds(rowsForGraph(hostId, week, now - kSuggestionSpan, now));
    }
    showSuggestionButton(h.suggestion);
}

// The tasks have stopped: the last rows and the open states go to the
// writer, which ends once they are written; the database closes after.
void flushAtEnd() {
    ProgramHistory& h = history();
    if (h.timer) KillTimer(nullptr, std::exchange(h.timer, 0));
    finishHistory(h.book, h.writer, utcNow(), kHistoryEndWaitMs);
    h.reader.close();
}

}  // namespace

HistoryBook& programHistoryBook() { return history().book; }

void startProgramHistory(const Text& databasePath) {
    ProgramHistory& h = history();
    if (h.reader.open(databasePath) && h.writer.start(databasePath))
        resumeHistory(h.book, h.reader, h.writer, utcNow());
    programStatusReceiver().addListener(onStatus);
    runningTasks().addListener(onTaskChange);
    UiActions& actions = uiActions();
    if (!actions.hostDeleted)
        actions.hostDeleted = [](int hostId) {
            history().book.forget(hostId);
            closeGraphWindow(hostId);
        };
    actions.showGraph = showCurrentHostGraph;
    actions.hostDialogShown = onHostDialogShown;
    actions.suggestThresholds = [] {
        if (history().suggestion) fillSuggestedThresholds(*history().suggestion);
    };
    setGraphSource({rowsForGraph, utcNow});
    installHostStatsTip([](int hostId) {
        const HostHistory* host = history().book.host(hostId);
        return host ? statisticsTip(*host, runningTasks().isRunning(hostId), utcNow()) : Text();
    });
    h.timer = SetTimer(nullptr, 0, flushIntervalMs(), onFlushTimer);
    programExitSequence().addBefore(kCloseDatabaseStep, kFlushHistoryStep, flushAtEnd);
}
