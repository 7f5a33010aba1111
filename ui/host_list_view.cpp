#include "ui/host_list_view.h"

#include <windows.h>
#include <commctrl.h>

#include "runtime/win32/list_view_commands.h"
#include "ui/list_colours.h"
#include "ui/main_window.h"

namespace {

// From this many changed cells in one run the list's repainting is turned
// off for the rest of the run (see the header).
constexpr int kRedrawOffFromChanges = 64;
// Or from this many changes to rows out of sight.
constexpr int kRedrawOffFromChangesOutOfSight = 16;

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
    if (!redrawOff_ && itemText(list, row, column) == text) return;
    changing(row);
    setItemText(list, row, column, text);
}

void HostListView::setCellColors(int row, int column, std::int32_t textColor, std::int32_t backColor) {
    const HWND list = windowHandle(hostList());
    COLORREF text = 0, back = 0;
    CellColourStore* cells = cellColoursOf(list);
    if (cells && cells->find(row, column, text, back) && text == static_cast<COLORREF>(textColor) &&
        back == static_cast<COLORREF>(backColor))
        return;
    changing(row);
    setCellColours(mainWindow().handle(), list, row, column, static_cast<COLORREF>(textColor),
                   static_cast<COLORREF>(backColor));
}

void HostListView::setCellImage(int row, int column, int image) {
    const Unit list = hostList();
    if (!redrawOff_ && itemImage(list, row, column) == image) return;
    changing(row);
    setItemImage(list, row, column, image);
}

void HostListView::beginWrites(int) {
    if (runs_++ > 0) return;
    changesInRun_ = 0;
    outOfSightInRun_ = 0;
}

// Called before each write that changes the list.
void HostListView::changing(int row) {
    if (runs_ == 0 || redrawOff_) return;
    if (changesInRun_++ == 0) {
        // Nothing in a run scrolls the list.
        const HWND list = windowHandle(hostList());
        firstInSight_ = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
        lastInSight_ = firstInSight_ + static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    }
    if (row < firstInSight_ || row > lastInSight_) ++outOfSightInRun_;
    if (changesInRun_ < kRedrawOffFromChanges && outOfSightInRun_ < kRedrawOffFromChangesOutOfSight) return;
    const HWND list = windowHandle(hostList());
    // Turning repainting back on shows the list: one hidden by its tab page
    // would show over the other page.
    if (!list || !(GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE)) return;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    redrawOff_ = true;
}

void HostListView::endWrites() {
    if (runs_ == 0 || --runs_ > 0) return;
    lastRunRepaintedAll_ = redrawOff_;
    if (!redrawOff_) return;
    redrawOff_ = false;
    const HWND list = windowHandle(hostList());
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    // Windows leaves the repaint to the caller; the rows in sight are what
    // it costs.
    InvalidateRect(list, nullptr, TRUE);
}
