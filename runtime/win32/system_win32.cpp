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

std::wstring wideRunDirectory() {
    std::wstring path = modulePath();
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);  // "C:\x.exe" gives "C:"
}

}  // namespace

Text runDirectory() { return fromWide(wideRunDirectory().c_str()); }

bool runDirectoryIsExact() { return wideFitsGbk(wideRunDirectory().c_str()); }

Text executableName() {
    std::wstring path = modulePath();
    return fromWide(path.substr(path.find_last_of(L"\\/") + 1).c_str());
}

int tickCount() { return static_cast<int>(GetTickCount()); }
