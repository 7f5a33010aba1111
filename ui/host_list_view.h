// The host list of the main window (超级列表框_通讯) as the status-message
// receiver sees it: rows by item data, texts, images, and cell colours
// through the coloured-list machinery with the main window as parent.
// Threads: the user-interface thread only; the main window must be loaded.
#pragma once

#include "monitor/host_list.h"

class HostListView : public HostList {
public:
    int findRow(std::int32_t itemData) override;
    void setCellText(int row, int column, const Text& text) override;
    void setCellColors(int row, int column, std::int32_t textColor, std::int32_t backColor) override;
    void setCellImage(int row, int column, int image) override;
};
