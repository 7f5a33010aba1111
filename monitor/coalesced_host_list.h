// A host list that holds its cell writes and hands them on together: per
// host and cell only the newest text, colours and image, each cell written
// once however many reports changed it meanwhile.
//
// Why: a list view on screen repaints every cell written, and under Wine
// each repaint request is a round trip to the server, even for the many
// rows scrolled out of sight. With thousands of hosts each reporting once a
// second those requests alone kept the window from keeping up. Held writes
// go to the list in one run, with its repaints suspended for a long one.
//
// Writes are held by host, not by row: every writer names the row that its
// findRow() just gave, but rows may move before the flush (a host deleted
// meanwhile), so flush() finds each host's row again, and drops the writes
// of a host that has no row any more. A write to a row that findRow() never
// gave goes straight to the list, after every held write.
//
// Threads: the user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "monitor/host_list.h"

class CoalescedHostList : public HostList {
public:
    // heldFirst, when given, is called whenever a write is held while nothing
    // else is: the owner's cue to arrange a flush.
    explicit CoalescedHostList(HostList& list, std::function<void()> heldFirst = {})
        : list_(list), heldFirst_(std::move(heldFirst)) {}
    CoalescedHostList(const CoalescedHostList&) = delete;
    CoalescedHostList& operator=(const CoalescedHostList&) = delete;

    int findRow(std::int32_t itemData) override;
    void setCellText(int row, int column, const Text& text) override;
    void setCellColors(int row, int column, std::int32_t textColor, std::int32_t backColor) override;
    void setCellImage(int row, int column, int image) override;

    // Writes every held cell to the list, hosts in the order they were first
    // written since the last flush, and holds nothing afterwards.
    void flush();
    bool holding() const { return !hosts_.empty(); }
    int heldWrites() const { return writes_; }

private:
    struct Cell {
        int column;
        std::optional<Text> text;
        std::optional<std::pair<std::int32_t, std::int32_t>> colors;
        std::optional<int> image;
    };
    struct Host {
        std::int32_t id;
        std::vector<Cell> cells;  // a handful: one per column written
    };
    Cell* heldCell(int row, int column);
    void writeHost(const Host& host, int row);

    HostList& list_;
    std::function<void()> heldFirst_;
    std::vector<Host> hosts_;                        // first written first
    std::unordered_map<std::int32_t, std::size_t> hostIndex_;  // id -> hosts_
    std::unordered_map<int, std::int32_t> hostOfRow_;          // as findRow() last gave it
    int writes_ = 0;  // distinct cell writes held
};
