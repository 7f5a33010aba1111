#include "monitor/status_receiver.h"

#include <algorithm>

#include "runtime/convert.h"
#include "runtime/handoff_block.h"

namespace {

constexpr int kLatencyColumn = 2;
constexpr int kStatusColumn = 3;
constexpr int kAverageColumn = 5;
constexpr std::int32_t kWhite = 0xFFFFFF;

}  // namespace

void ReceiveTaskStatus(std::uintptr_t block, HostList& list) {
    ApplyTaskStatus(decodeTaskStatus(takeHandoffBlock(block)), list);
}

void ApplyTaskStatus(const TaskStatusMessage& m, HostList& list) {
    const int row = list.findRow(m.hostId);
    if (row < 0) return;  // the host was deleted while its task ran
    if (m.color != -1) {
        list.setCellColors(row, kLatencyColumn, kWhite, m.color);
        list.setCellImage(row, kStatusColumn, std::clamp(m.level, 1, 4) - 1);
    }
    const int shown = m.roundTripTime == 0 && m.status != 0 ? 1000 : m.roundTripTime;
    list.setCellText(row, kLatencyColumn, toText(shown) + " ms");
    list.setCellText(row, kStatusColumn, m.statusText);
    list.setCellText(row, kAverageColumn, toText(m.average) + " ms");
}
