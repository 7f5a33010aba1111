// The host list as the status-message receiver sees it: rows found by item
// data (the host id), cells addressed by 0-based row and column. The UI
// implements it on the real list view; tests implement it in memory.
//
// Threads: the user-interface thread only.
#pragma once

#include <cstdint>

#include "runtime/text.h"

class HostList {
public:
    virtual ~HostList() = default;
    // The first row whose item data equals itemData, searching from row 0; -1 if none.
    virtual int findRow(std::int32_t itemData) = 0;
    virtual void setCellText(int row, int column, const Text& text) = 0;
    // Colours are 0x00BBGGRR.
    virtual void setCellColors(int row, int column, std::int32_t textColor,
                               std::int32_t backColor) = 0;
    virtual void setCellImage(int row, int column, int image) = 0;
    // Around a run of `writes` cell writes made at once: a list on screen may
    // stop repainting cell by cell and repaint once when the run ends.
    virtual void beginWrites(int writes) { (void)writes; }
    virtual void endWrites() {}
};
