// The host list of the main window (超级列表框_通讯) as the status-message
// receiver sees it: rows by item data, texts, images, and cell colours
// through the coloured-list machinery with the main window as parent.
// Threads: the user-interface thread only; the main window must be loaded.
#pragma once

#include <unordered_map>

#include "monitor/host_list.h"

// Every status message looks its host's row up; the list's own search by
// item data walks every row, which with thousands of hosts costs more than
// the rest of the message. The row last found for a host is remembered and
// checked against the row's item data before use (host ids are unique), so
// rows that moved after a delete are found again by the full search.
//
// A cell is only touched when its text, image or colours change: every
// change costs the list a repaint request (a new colour repaints the whole
// list), and from one second to the next most cells stay as they were.
// The comparison is with what the cell shows now, so a row that moved, or
// a cell another caller changed, is still set right.
//
// In a run of writes (monitor/coalesced_host_list.h hands them over in
// runs) the list's repainting is turned off once many cells changed: each
// change would otherwise ask for the repaint of its cell, which under Wine
// is a round trip to the server whether the row is in sight or not.
// Turning repainting back on costs about as much as a hundred such
// requests, so a run that changes little writes cell by cell. Rows out of
// sight count more: the list asks for such a row's repaint once per cell
// written, so a few of them changed turn repainting off too. While it is
// off a text or image is written without reading the cell first: nothing
// repaints until the run ends, and the read alone costs as much as the
// write (under Wine each message to the list is a system call and a
// callback).
class HostListView : public HostList {
public:
    int findRow(std::int32_t itemData) override;
    void setCellText(int row, int column, const Text& text) override;
    void setCellColors(int row, int column, std::int32_t textColor, std::int32_t backColor) override;
    void setCellImage(int row, int column, int image) override;
    void beginWrites(int writes) override;
    void endWrites() override;
    // Whether the last run turned repainting off (and so repaints every row
    // in sight).
    bool lastRunRepaintedAll() const { return lastRunRepaintedAll_; }

private:
    std::unordered_map<std::int32_t, int> rows_;
    void changing(int row);

    int runs_ = 0;            // nesting of beginWrites/endWrites
    int changesInRun_ = 0;
    int outOfSightInRun_ = 0;
    int firstInSight_ = 0;    // rows in sight during the run, once it changes one
    int lastInSight_ = -1;
    bool lastRunRepaintedAll_ = false;
    bool redrawOff_ = false;  // this object turned the list's repainting off
};
