#include "ui/host_list_view.h"

#include "runtime/win32/list_view_commands.h"
#include "ui/list_colours.h"
#include "ui/main_window.h"

namespace {
Unit hostList() { return unitOf(mainWindow(), MainWin::超级列表框_通讯); }
}  // namespace

int HostListView::findRow(std::int32_t id) {
    const Unit list = hostList();
    auto known = rows_.find(id);
    if (known != rows_.end() && itemData(list, known->second) == id) return known->second;
    const int row = findItemByData(list, id);
    if (row >= 0) rows_[id] = row;
    else if (known != rows_.end()) rows_.erase(known);
    return row;
}

void HostListView::setCellText(int row, int column, const Text& text) {
    const Unit list = hostList();
    if (itemText(list, row, column) != text) setItemText(list, row, column, text);
}

void HostListView::setCellColors(int row, int column, std::int32_t textColor, std::int32_t backColor) {
    const HWND list = windowHandle(hostList());
    COLORREF text = 0, back = 0;
    CellColourStore* cells = cellColoursOf(list);
    if (cells && cells->find(row, column, text, back) && text == static_cast<COLORREF>(textColor) &&
        back == static_cast<COLORREF>(backColor))
        return;
    setCellColours(mainWindow().handle(), list, row, column, static_cast<COLORREF>(textColor),
                   static_cast<COLORREF>(backColor));
}

void HostListView::setCellImage(int row, int column, int image) {
    const Unit list = hostList();
    if (itemImage(list, row, column) != image) setItemImage(list, row, column, image);
}
