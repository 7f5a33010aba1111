// Item commands of report list views. Items are numbered from 0; column 0
// is the item's own text; every item carries an int item data (LVITEM
// lParam). A unit that is not a loaded control is a runtime error; the
// commands otherwise report failure only through their results.
// Windows only; the user-interface thread only.
#pragma once

#include <vector>

#include "runtime/text.h"
#include "runtime/win32/window_commands.h"

int itemCount(Unit list);

// position < 0: after the last item; image < -1 counts as -1 (none); indent
// < 0 counts as 0. Returns the new item's index, -1 on failure.
int insertItem(Unit list, int position = -1, const Text& text = {}, int image = -1, int indent = 0,
               int itemData = 0);

void setItemText(Unit list, int item, int column, const Text& text = {});

// image < -1 counts as -1; -1 removes the cell's image and repaints the list.
void setItemImage(Unit list, int item, int column = 0, int image = -1);

int itemData(Unit list, int item);  // 0 for an item that does not exist

// The tick of an item of a list with check boxes (LVS_EX_CHECKBOXES).
bool itemChecked(Unit list, int item);
void setItemChecked(Unit list, int item, bool checked);

// The cell's image index; -1 for none or an item that does not exist.
int itemImage(Unit list, int item, int column = 0);

// The first item at or after start whose item data equals data, without
// wrapping (a start below 0 counts as 0); -1 when none.
int findItemByData(Unit list, int start, int data);
inline int findItemByData(Unit list, int data) { return findItemByData(list, 0, data); }

std::vector<int> selectedItems(Unit list);  // ascending

void deleteItem(Unit list, int item);  // later items move up by one
void deleteAllItems(Unit list);

// Reads a cell's text (the list's own helpers and tests).
Text itemText(Unit list, int item, int column);

// Around a long run of inserts: the list makes room for `rows` more items
// at once and does not repaint, nor adjust its scroll bar, item by item;
// it repaints whole when the guard ends. (Under Wine each insert's repaint
// and scroll-bar update is a round trip to the server: a few thousand rows
// took over a second.) A list hidden by its style is left alone: turning
// repainting back on would show it.
class ListFillGuard {
public:
    ListFillGuard(Unit list, int rows);
    ~ListFillGuard();
    ListFillGuard(const ListFillGuard&) = delete;
    ListFillGuard& operator=(const ListFillGuard&) = delete;

private:
    HWND list_;
    bool redrawOff_ = false;
};
