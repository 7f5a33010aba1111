#include "tests/e2e/helper/tooltip_reader.h"

#include <commctrl.h>

#include "tests/e2e/helper/remote_buffer.h"

namespace e2e {
namespace {

constexpr int kTextChars = 512;  // balloons hold 255 characters, tips 127

BOOL CALLBACK collect(HWND hwnd, LPARAM out) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId() && lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0)
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
    return TRUE;
}

std::wstring titleOf(HWND tip, RemoteBuffer& remote) {
    TTGETTITLE get{};
    get.dwSize = sizeof get;
    get.cch = kTextChars;
    get.pszTitle = reinterpret_cast<wchar_t*>(remote.at(sizeof get));
    wchar_t empty = 0;
    remote.write(sizeof get, &empty, sizeof empty);
    remote.write(0, &get, sizeof get);
    SendMessageW(tip, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(remote.at(0)));
    wchar_t title[kTextChars] = {};
    remote.read(sizeof get, title, sizeof title - sizeof(wchar_t));
    return title;
}

// TTM_ENUMTOOLS names the tool (Wine leaves its text out); TTM_GETTEXT
// then copies the text into the buffer the record points at.
std::vector<std::wstring> toolTexts(HWND tip, RemoteBuffer& remote) {
    std::vector<std::wstring> texts;
    const int count = static_cast<int>(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        remote.write(0, &info, sizeof info);
        if (!SendMessageW(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote.at(0)))) continue;
        remote.read(0, &info, sizeof info);
        info.lpszText = reinterpret_cast<wchar_t*>(remote.at(sizeof info));
        wchar_t empty = 0;
        remote.write(sizeof info, &empty, sizeof empty);
        remote.write(0, &info, sizeof info);
        SendMessageW(tip, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(remote.at(0)));
        wchar_t text[kTextChars] = {};
        remote.read(sizeof info, text, sizeof text - sizeof(wchar_t));
        texts.push_back(text);
    }
    return texts;
}

}  // namespace

std::vector<TooltipSeen> tooltips() {
    std::vector<HWND> windows;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&windows));
    std::vector<TooltipSeen> seen;
    for (HWND tip : windows) {
        RemoteBuffer remote(tip, sizeof(TTTOOLINFOW) + sizeof(TTGETTITLE) + kTextChars * sizeof(wchar_t));
        if (!remote.valid()) continue;
        TooltipSeen s;
        s.window = tip;
        s.visible = IsWindowVisible(tip) != FALSE;
        s.title = titleOf(tip, remote);
        s.tools = toolTexts(tip, remote);
        seen.push_back(std::move(s));
    }
    return seen;
}

}  // namespace e2e
