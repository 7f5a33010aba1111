// Drives the program's windows from another process: finds top-level windows
// by title, reads control geometry and texts, reads every cell of a report
// list view (through a buffer allocated in the program's process), picks
// popup-menu items, presses buttons and answers message boxes.
// Used by the end-to-end tests and by the qerno-e2e-helper tool. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const Box& a, const Box& b) {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
};

// A visible top-level window with exactly this title (of process pid when
// pid != 0), waiting up to timeoutMs; nullptr when none appeared.
HWND findWindow(const std::wstring& title, DWORD pid = 0, int timeoutMs = 10000);
// The open popup menu window ("#32768"), waiting up to timeoutMs.
HWND findPopupMenu(int timeoutMs = 5000);

HWND control(HWND window, int id);       // the child with that control id
Box outerBox(HWND window);               // screen coordinates
Box clientSize(HWND window);             // 0, 0, client width, height
Box controlBox(HWND window, int id);     // outer rectangle in the window's client coordinates
std::wstring text(HWND hwnd);            // WM_GETTEXT

struct ListColumnInfo {
    std::wstring title;
    int width = 0;
    int format = 0;  // LVCFMT_LEFT / RIGHT / CENTER
};
std::vector<ListColumnInfo> listColumns(HWND list);
// Every cell: rows of columns (as many columns as the header has).
std::vector<std::vector<std::wstring>> listCells(HWND list);

// Clicks a tab control's page header (mouse down and up posted at its centre).
bool selectTab(HWND tab, int page);
// Right click (button down and up) at a point of a control's client area.
void rightClick(HWND control, int x, int y);
// Picks the item of the open popup menu whose text is `item`, with the
// keyboard, as a person would. By text, never by position: items added to a
// menu would shift a position onto another item (one of them opens a
// browser). False, with the menu closed, when no menu opens or it has no
// such item.
bool chooseMenuItem(const std::wstring& item, int timeoutMs = 5000);
// Texts of the popup menu's items ("-" for separators), read in the menu's
// own process (tests/e2e/helper/menu_reader.h); empty when unreadable.
std::vector<std::wstring> menuItems(HWND menu);

void pressButton(HWND button);  // BM_CLICK

struct MessageBoxSeen {
    HWND box = nullptr;
    std::wstring text;
};
// Waits for a message box (dialog class "#32770") with this caption of
// process pid and reads its text.
MessageBoxSeen findMessageBox(const std::wstring& caption, DWORD pid, int timeoutMs = 10000);
// Presses the box's button with this id (IDOK, IDYES, ...).
bool answerMessageBox(HWND box, int buttonId);

// The system's save-file dialog titled `title` (of process pid when pid !=
// 0): types `path` into its file-name box and presses its Save button, as
// a person would; with an empty path presses Cancel. False when no such
// dialog appeared or it has no file-name box.
bool answerSaveDialog(const std::wstring& title, const std::wstring& path, DWORD pid = 0,
                      int timeoutMs = 10000);

std::string utf8(const std::wstring& text);
std::wstring wide(const std::string& utf8Text);

}  // namespace e2e
