#include "monitor/coalesced_host_list.h"

#include <algorithm>

int CoalescedHostList::findRow(std::int32_t itemData) {
    const int row = list_.findRow(itemData);
    if (row >= 0) hostOfRow_[row] = itemData;
    return row;
}

// The held cell for a row findRow() gave; nullptr for any other row, once
// every held write went to the list (they came first, so they must not
// land after this write).
CoalescedHostList::Cell* CoalescedHostList::heldCell(int row, int column) {
    auto owner = hostOfRow_.find(row);
    if (owner == hostOfRow_.end()) {
        flush();
        return nullptr;
    }
    auto [at, added] = hostIndex_.try_emplace(owner->second, hosts_.size());
    if (added) {
        hosts_.push_back({owner->second, {}});
        if (hosts_.size() == 1 && heldFirst_) heldFirst_();
    }
    std::vector<Cell>& cells = hosts_[at->second].cells;
    auto cell = std::find_if(cells.begin(), cells.end(), [column](const Cell& c) { return c.column == column; });
    if (cell != cells.end()) return &*cell;
    cells.push_back({column, {}, {}, {}});
    return &cells.back();
}

void CoalescedHostList::setCellText(int row, int column, const Text& text) {
    Cell* cell = heldCell(row, column);
    if (!cell) return list_.setCellText(row, column, text);
    if (!cell->text) ++writes_;
    cell->text = text;
}

void CoalescedHostList::setCellColors(int row, int column, std::int32_t textColor, std::int32_t backColor) {
    Cell* cell = heldCell(row, column);
    if (!cell) return list_.setCellColors(row, column, textColor, backColor);
    if (!cell->colors) ++writes_;
    cell->colors = {textColor, backColor};
}

void CoalescedHostList::setCellImage(int row, int column, int image) {
    Cell* cell = heldCell(row, column);
    if (!cell) return list_.setCellImage(row, column, image);
    if (!cell->image) ++writes_;
    cell->image = image;
}

// Within a cell: colours, then image, then text, as one report sets them.
void CoalescedHostList::writeHost(const Host& host, int row) {
    for (const Cell& c : host.cells) {
        if (c.colors) list_.setCellColors(row, c.column, c.colors->first, c.colors->second);
        if (c.image) list_.setCellImage(row, c.column, *c.image);
    }
    for (const Cell& c : host.cells)
        if (c.text) list_.setCellText(row, c.column, *c.text);
}

void CoalescedHostList::flush() {
    if (hosts_.empty()) return;
    // Taken out first: a list that calls back into this one finds it empty.
    std::vector<Host> hosts = std::exchange(hosts_, {});
    const int writes = std::exchange(writes_, 0);
    hostIndex_.clear();
    list_.beginWrites(writes);
    for (const Host& host : hosts) {
        const int row = list_.findRow(host.id);
        if (row >= 0) writeHost(host, row);
    }
    list_.endWrites();
}
