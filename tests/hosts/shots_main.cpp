// qerno-hosts-shots: puts the running program into the states that
// scripts/screenshots-hosts-ui photographs. The main window is told apart
// from other windows titled like it (the tray's, on Wine's virtual
// desktop) by its host list. Exit code 0 when the state was reached.
//   log-page       the log page with the rows of a query
//   edit-dialog    the host page and the host dialog editing the first row
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "tests/e2e/helper/driver.h"

namespace {

const std::wstring kMainTitle = L"Qerno\u7f51\u7edc\u68c0\u6d4b";  // Qerno网络检测
enum { kTab = 1, kHostList = 2, kQuery = 11 };

HWND mainWindow() {
    for (int waited = 0; waited < 10000; waited += 100) {
        for (HWND h = nullptr; (h = FindWindowExW(nullptr, h, nullptr, kMainTitle.c_str()));)
            if (IsWindowVisible(h) && GetDlgItem(h, kHostList)) return h;
        Sleep(100);
    }
    return nullptr;
}

int run(const std::wstring& verb) {
    HWND main = mainWindow();
    if (!main) return 1;
    if (verb == L"log-page") {
        e2e::selectTab(e2e::control(main, kTab), 1);
        Sleep(500);
        e2e::pressButton(e2e::control(main, kQuery));
        return 0;
    }
    if (verb == L"edit-dialog") {
        e2e::selectTab(e2e::control(main, kTab), 0);
        Sleep(500);
        HWND list = e2e::control(main, kHostList);
        RECT header{};
        GetClientRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), &header);
        e2e::rightClick(list, 60, header.bottom + 12);
        if (!e2e::chooseMenuItem(L"\u4fee\u6539")) return 1;  // 修改
        return e2e::findWindow(L"\u4fee\u6539\u8bb0\u5f55") ? 0 : 1;  // 修改记录
    }
    return 2;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    return argc > 1 ? run(argv[1]) : 2;
}
