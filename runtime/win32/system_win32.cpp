#include <windows.h>

#include <string>

#include "runtime/codepage.h"
#include "runtime/datetime.h"
#include "runtime/system.h"

namespace {

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) { path.resize(n); return path; }
        path.resize(path.size() * 2);
    }
}

}  // namespace

Text runDirectory() {
    std::wstring path = modulePath();
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    return fromWide(path.substr(0, slash).c_str());  // "C:\x.exe" gives "C:"
}

Text executableName() {
    std::wstring path = modulePath();
    return fromWide(path.substr(path.find_last_of(L"\\/") + 1).c_str());
}

int tickCount() { return static_cast<int>(GetTickCount()); }
