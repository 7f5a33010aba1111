#include "monitor/not_started.h"

const char* const kNotStartedText = "未启动";

namespace {

constexpr int kLatencyColumn = 2;
constexpr int kStatusColumn = 3;
constexpr int kAverageColumn = 5;
constexpr int kNoImage = -1;
constexpr std::int32_t kBlack = 0x000000;
constexpr std::int32_t kWhite = 0xFFFFFF;

}  // namespace

bool ShowNotStarted(std::int32_t hostId, HostList& list) {
    const int row = list.findRow(hostId);
    if (row < 0) return false;
    // The class colour and icon of the last report would still say how the
    // host was doing.
    list.setCellColors(row, kLatencyColumn, kBlack, kWhite);
    list.setCellImage(row, kStatusColumn, kNoImage);
    list.setCellText(row, kLatencyColumn, Text());
    list.setCellText(row, kStatusColumn, kNotStartedText);
    list.setCellText(row, kAverageColumn, Text());
    return true;
}

NotStartedRows::NotStartedRows(RunningTasks& tasks, HostList& list)
    : tasks_(tasks), list_(list),
      listener_(tasks.addListener([this](std::int32_t id, RunningTasks::Change c) { onChange(id, c); })) {}

NotStartedRows::~NotStartedRows() { tasks_.removeListener(listener_); }

void NotStartedRows::onChange(std::int32_t hostId, RunningTasks::Change change) {
    if (change == RunningTasks::Change::notStarted) {
        if (ShowNotStarted(hostId, list_)) shown_.insert(hostId);
        return;
    }
    if (change != RunningTasks::Change::started || !shown_.erase(hostId)) return;
    const int row = list_.findRow(hostId);
    if (row >= 0) list_.setCellText(row, kStatusColumn, Text());
}

void NotStartedRows::onReport(std::int32_t hostId) {
    if (shows(hostId)) ShowNotStarted(hostId, list_);
}
