#include "runtime/win32/list_view_commands.h"

#include <commctrl.h>

#include <algorithm>

#include "runtime/codepage.h"

namespace {

LRESULT send(Unit list, UINT message, WPARAM wp, LPARAM lp) {
    return SendMessageW(windowHandle(list), message, wp, lp);
}

}  // namespace

int itemCount(Unit list) { return static_cast<int>(send(list, LVM_GETITEMCOUNT, 0, 0)); }

int insertItem(Unit list, int position, const Text& text, int image, int indent, int itemData) {
    int count = itemCount(list);
    std::wstring wide = toWide(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT;
    item.iItem = position < 0 ? count : position;
    item.pszText = wide.data();
    item.iImage = std::max(image, -1);
    item.iIndent = std::max(indent, 0);
    item.lParam = itemData;
    return static_cast<int>(send(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void setItemText(Unit list, int item, int column, const Text& text) {
    std::wstring wide = toWide(text);
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = wide.data();
    send(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
}

void setItemImage(Unit list, int item, int column, int image) {
    LVITEMW cell{};
    cell.mask = LVIF_IMAGE;
    cell.iItem = item;
    cell.iSubItem = column;
    cell.iImage = std::max(image, -1);
    send(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&cell));
    // The list does not repaint a cell whose image went away by itself.
    if (cell.iImage == -1) InvalidateRect(windowHandle(list), nullptr, TRUE);
}

int itemData(Unit list, int item) {
    LVITEMW cell{};
    cell.mask = LVIF_PARAM;
    cell.iItem = item;
    if (!send(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&cell))) return 0;
    return static_cast<int>(cell.lParam);
}

// The state image of a check-box list: 1 unticked, 2 ticked (0: none).
constexpr UINT kUnticked = 1, kTicked = 2;

bool itemChecked(Unit list, int item) {
    const auto state = static_cast<UINT>(send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(kTicked);
}

void setItemChecked(Unit list, int item, bool checked) {
    LVITEMW cell{};
    cell.stateMask = LVIS_STATEIMAGEMASK;
    cell.state = INDEXTOSTATEIMAGEMASK(checked ? kTicked : kUnticked);
    send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
}

int itemImage(Unit list, int item, int column) {
    LVITEMW cell{};
    cell.mask = LVIF_IMAGE;
    cell.iItem = item;
    cell.iSubItem = column;
    if (!send(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&cell))) return -1;
    return cell.iImage;
}

int findItemByData(Unit list, int start, int data) {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    // The search begins after the index passed; -1 searches from the first.
    if (start < 0) start = 0;
    return static_cast<int>(send(list, LVM_FINDITEMW, static_cast<WPARAM>(start - 1),
                                 reinterpret_cast<LPARAM>(&find)));
}

std::vector<int> selectedItems(Unit list) {
    std::vector<int> items;
    int count = itemCount(list);
    for (int i = -1;;) {
        i = static_cast<int>(send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED));
        if (i < 0 || i >= count || (!items.empty() && i <= items.back())) return items;
        items.push_back(i);
    }
}

void deleteItem(Unit list, int item) { send(list, LVM_DELETEITEM, static_cast<WPARAM>(item), 0); }

void deleteAllItems(Unit list) { send(list, LVM_DELETEALLITEMS, 0, 0); }

Text itemText(Unit list, int item, int column) {
    std::wstring buffer(1024, L'\0');
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = buffer.data();
    cell.cchTextMax = static_cast<int>(buffer.size());
    send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
    return fromWide(buffer.c_str());
}

ListFillGuard::ListFillGuard(Unit list, int rows) : list_(windowHandle(list)) {
    if (!list_) return;
    if (rows > 0) SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(itemCount(list) + rows), 0);
    if (!(GetWindowLongPtrW(list_, GWL_STYLE) & WS_VISIBLE)) return;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    redrawOff_ = true;
}

ListFillGuard::~ListFillGuard() {
    if (!redrawOff_) return;
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    // Windows leaves the repaint to the caller.
    InvalidateRect(list_, nullptr, TRUE);
}
