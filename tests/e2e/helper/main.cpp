// qerno-e2e-helper: drives a running program from outside, for scripts.
// Texts in and out are UTF-8. Exit code 0 on success, 1 when the window,
// control or box was not found, 2 for a usage error.
//   find TITLE                      window handle (decimal)
//   geometry TITLE ID               "left top width height" (ID 0: outer box on the screen)
//   client TITLE                    "width height" of the client area
//   text TITLE ID                   window text (ID 0: the title)
//   columns TITLE ID                per column: title<TAB>width<TAB>format
//   cells TITLE ID                  per row: cells separated by TAB
//   tab TITLE ID PAGE               clicks a tab control's page header
//   rightclick TITLE ID X Y         right click in a control
//   menu-items                      items of the open popup menu
//   menu-choose TEXT                picks the item with this text of the open popup menu
//   press TITLE ID                  clicks a button
//   answer-box CAPTION BUTTON_ID    prints the box's text and presses the button
//   save-as TITLE PATH              types PATH into the save-file dialog TITLE and
//                                   presses Save (an empty PATH: Cancel)
//   show TITLE max|restore|min
//   tooltips                        per tooltip window of other processes (the tray's
//                                   tips and balloons): visible<TAB>title<TAB>tool texts,
//                                   a tool's line breaks shown as "\n"
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/e2e/helper/driver.h"
#include "tests/e2e/helper/tooltip_reader.h"

namespace {

void print(const std::wstring& line) { std::printf("%s\n", e2e::utf8(line).c_str()); }

// Arguments come from the wide command line: the ANSI one would carry the
// titles in the system code page.
int run(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    std::string verb = e2e::utf8(argv[1]);
    auto wideArg = [&](int i) { return i < argc ? std::wstring(argv[i]) : std::wstring(); };
    auto arg = [&](int i) { return e2e::utf8(wideArg(i)); };
    auto number = [&](int i) { return std::atoi(arg(i).c_str()); };
    if (verb == "menu-items") {
        HWND menu = e2e::findPopupMenu();
        if (!menu) return 1;
        for (auto& item : e2e::menuItems(menu)) print(item);
        return 0;
    }
    if (verb == "tooltips") {
        for (const auto& tip : e2e::tooltips()) {
            std::wstring line = (tip.visible ? L"1\t" : L"0\t") + tip.title;
            for (std::wstring tool : tip.tools) {
                for (size_t at; (at = tool.find(L'\n')) != std::wstring::npos;) tool.replace(at, 1, L"\\n");
                line += L"\t" + tool;
            }
            print(line);
        }
        return 0;
    }
    if (verb == "menu-choose") return e2e::chooseMenuItem(wideArg(2)) ? 0 : 1;
    if (verb == "save-as") return e2e::answerSaveDialog(wideArg(2), wideArg(3)) ? 0 : 1;
    if (verb == "answer-box") {
        auto seen = e2e::findMessageBox(wideArg(2), 0);
        if (!seen.box) return 1;
        print(seen.text);
        return e2e::answerMessageBox(seen.box, number(3)) ? 0 : 1;
    }
    HWND window = e2e::findWindow(wideArg(2));
    if (!window) return 1;
    HWND target = argc > 3 && number(3) != 0 ? e2e::control(window, number(3)) : window;
    if (!target) return 1;
    if (verb == "find") std::printf("%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
    else if (verb == "geometry") {
        e2e::Box b = target == window ? e2e::outerBox(window) : e2e::controlBox(window, number(3));
        std::printf("%d %d %d %d\n", b.left, b.top, b.width, b.height);
    } else if (verb == "client") {
        e2e::Box b = e2e::clientSize(window);
        std::printf("%d %d\n", b.width, b.height);
    } else if (verb == "text") print(e2e::text(target));
    else if (verb == "columns") {
        for (auto& c : e2e::listColumns(target))
            print(c.title + L"\t" + std::to_wstring(c.width) + L"\t" + std::to_wstring(c.format));
    } else if (verb == "cells") {
        for (auto& row : e2e::listCells(target)) {
            std::wstring line;
            for (size_t i = 0; i < row.size(); ++i) line += (i ? L"\t" : L"") + row[i];
            print(line);
        }
    } else if (verb == "tab") return e2e::selectTab(target, number(4)) ? 0 : 1;
    else if (verb == "rightclick") e2e::rightClick(target, number(4), number(5));
    else if (verb == "press") e2e::pressButton(target);
    else if (verb == "show") {
        std::string how = arg(3);
        ShowWindow(window, how == "max" ? SW_MAXIMIZE : how == "min" ? SW_MINIMIZE : SW_RESTORE);
    } else return 2;
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    return run(argc, argv);
}
