#include "tests/e2e/helper/driver.h"

#include <commctrl.h>
#include <dlgs.h>

#include "tests/e2e/helper/menu_reader.h"
#include "tests/e2e/helper/remote_buffer.h"

namespace e2e {
namespace {

constexpr size_t kTextChars = 1024;

struct FindData {
    const std::wstring* title;
    const wchar_t* cls;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<FindData*>(lp);
    if (!IsWindowVisible(hwnd)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (f->pid && pid != f->pid) return TRUE;
    if (f->cls) {
        wchar_t cls[64] = {};
        GetClassNameW(hwnd, cls, 64);
        if (wcscmp(cls, f->cls) != 0) return TRUE;
    }
    if (f->title && text(hwnd) != *f->title) return TRUE;
    f->found = hwnd;
    return FALSE;
}

HWND waitFor(FindData data, int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        data.found = nullptr;
        EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&data));
        if (data.found || static_cast<int>(GetTickCount() - start) > timeoutMs) return data.found;
        Sleep(50);
    }
}

}  // namespace

HWND findWindow(const std::wstring& title, DWORD pid, int timeoutMs) {
    return waitFor({&title, nullptr, pid, nullptr}, timeoutMs);
}

HWND findPopupMenu(int timeoutMs) { return waitFor({nullptr, L"#32768", 0, nullptr}, timeoutMs); }

HWND control(HWND window, int id) { return GetDlgItem(window, id); }

Box outerBox(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Box clientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {0, 0, r.right, r.bottom};
}

Box controlBox(HWND window, int id) {
    RECT r{};
    GetWindowRect(control(window, id), &r);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::wstring text(HWND hwnd) {
    wchar_t buffer[kTextChars] = {};
    SendMessageTimeoutW(hwnd, WM_GETTEXT, kTextChars, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return buffer;
}

std::vector<ListColumnInfo> listColumns(HWND list) {
    std::vector<ListColumnInfo> columns;
    RemoteBuffer remote(list, sizeof(LVCOLUMNW) + kTextChars * sizeof(wchar_t));
    if (!remote.valid()) return columns;
    for (int i = 0;; ++i) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof(LVCOLUMNW)));
        col.cchTextMax = kTextChars;
        remote.write(0, &col, sizeof(col));
        if (!SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(remote.at(0)))) return columns;
        wchar_t title[kTextChars] = {};
        remote.read(0, &col, sizeof(col));
        remote.read(sizeof(LVCOLUMNW), title, sizeof(title));
        columns.push_back({title, col.cx, col.fmt & LVCFMT_JUSTIFYMASK});
    }
}

std::vector<std::vector<std::wstring>> listCells(HWND list) {
    std::vector<std::vector<std::wstring>> rows;
    size_t columns = listColumns(list).size();
    RemoteBuffer remote(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!remote.valid()) return rows;
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        std::vector<std::wstring> row;
        for (size_t column = 0; column < columns; ++column) {
            LVITEMW cell{};
            cell.iSubItem = static_cast<int>(column);
            cell.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof(LVITEMW)));
            cell.cchTextMax = kTextChars;
            remote.write(0, &cell, sizeof(cell));
            wchar_t empty = 0;
            remote.write(sizeof(LVITEMW), &empty, sizeof(empty));
            SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(remote.at(0)));
            wchar_t value[kTextChars] = {};
            remote.read(sizeof(LVITEMW), value, sizeof(value) - sizeof(wchar_t));
            row.push_back(value);
        }
        rows.push_back(row);
    }
    return rows;
}

bool selectTab(HWND tab, int page) {
    RemoteBuffer remote(tab, sizeof(RECT));
    if (!remote.valid()) return false;
    if (!SendMessageW(tab, TCM_GETITEMRECT, page, reinterpret_cast<LPARAM>(remote.at(0)))) return false;
    RECT r{};
    remote.read(0, &r, sizeof(r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tab, WM_LBUTTONUP, 0, at);
    return true;
}

void rightClick(HWND control, int x, int y) {
    PostMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    PostMessageW(control, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

bool chooseMenuItem(const std::wstring& item, int timeoutMs) {
    HWND menu = findPopupMenu(timeoutMs);
    if (!menu) return false;
    int stop = 0;  // the arrow keys pass over separators
    for (const std::wstring& text : menuItems(menu)) {
        if (text == item) {
            for (int i = 0; i <= stop; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
            return true;
        }
        if (text != L"-") ++stop;
    }
    // Not there: close the menu unchosen rather than leave the program in its loop.
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    return false;
}

std::vector<std::wstring> menuItems(HWND menu) { return readMenuItems(menu); }

void pressButton(HWND button) {
    // Posted: the click's handler may run a loop (a box) of its own.
    PostMessageW(button, BM_CLICK, 0, 0);
}

MessageBoxSeen findMessageBox(const std::wstring& caption, DWORD pid, int timeoutMs) {
    MessageBoxSeen seen;
    seen.box = waitFor({&caption, L"#32770", pid, nullptr}, timeoutMs);
    if (!seen.box) return seen;
    // The box's message is the static control with id 0xFFFF.
    seen.text = text(GetDlgItem(seen.box, 0xFFFF));
    return seen;
}

bool answerMessageBox(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (!button) return false;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

bool answerSaveDialog(const std::wstring& title, const std::wstring& path, DWORD pid, int timeoutMs) {
    HWND dialog = waitFor({&title, L"#32770", pid, nullptr}, timeoutMs);
    if (!dialog) return false;
    if (path.empty()) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    }
    // The explorer-style dialog's file name is a combo box (cmb13) with an
    // edit inside; the old style has a plain edit (edt1).
    HWND name = GetDlgItem(dialog, cmb13);
    if (!name) name = GetDlgItem(dialog, edt1);
    if (!name) return false;
    SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return true;
}

std::string utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring wide(const std::string& utf8Text) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8Text.c_str(), static_cast<int>(utf8Text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8Text.c_str(), static_cast<int>(utf8Text.size()), out.data(), n);
    return out;
}

}  // namespace e2e
