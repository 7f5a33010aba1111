// A host list in memory for the monitor tests: rows are the given host ids
// in order; every cell remembers what was last set on it.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "monitor/host_list.h"

struct Cell {
    Text text;
    std::int32_t textColor = -2, backColor = -2;  // -2: never coloured
    int image = -2;
    int colorCalls = 0;
};

class MemoryHostList : public HostList {
public:
    explicit MemoryHostList(std::vector<std::int32_t> ids) : ids_(std::move(ids)) {}
    int findRow(std::int32_t itemData) override {
        for (size_t i = 0; i < ids_.size(); ++i)
            if (ids_[i] == itemData) return static_cast<int>(i);
        return -1;
    }
    void setCellText(int row, int column, const Text& text) override { cells_[{row, column}].text = text; }
    void setCellColors(int row, int column, std::int32_t text, std::int32_t back) override {
        Cell& c = cells_[{row, column}];
        c.textColor = text, c.backColor = back, ++c.colorCalls;
    }
    void setCellImage(int row, int column, int image) override { cells_[{row, column}].image = image; }
    void beginWrites(int writes) override { runs.push_back(writes); }
    void endWrites() override { ++endedRuns; }
    Cell& cell(int row, int column) { return cells_[{row, column}]; }
    size_t touched() const { return cells_.size(); }
    // Removes a row as the list view does: the rows below move up with their
    // cells.
    void removeRow(int row) {
        ids_.erase(ids_.begin() + row);
        std::map<std::pair<int, int>, Cell> moved;
        for (auto& [key, c] : cells_)
            if (key.first != row) moved[{key.first > row ? key.first - 1 : key.first, key.second}] = c;
        cells_ = std::move(moved);
    }

    std::vector<int> runs;  // beginWrites() counts, in order
    int endedRuns = 0;

private:
    std::vector<std::int32_t> ids_;
    std::map<std::pair<int, int>, Cell> cells_;
};
