#include "runtime/win32/autostart.h"

#include <windows.h>

#include <string>

#include "runtime/codepage.h"
#include "runtime/win32/reg_key.h"

namespace {

const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Long paths: GetModuleFileNameW truncates silently at its buffer's size.
constexpr DWORD kPathCapacity = 32768;

}  // namespace

Text autostartCommand() {
    std::wstring path(kPathCapacity, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), kPathCapacity);
    path.resize(n);
    return fromWide((L"\"" + path + L"\"").c_str());
}

bool autostartRegistered(const Text& valueName) {
    const RegKey key = RegKey::create(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE);
    return key.get() &&
           RegQueryValueExW(key.get(), toWide(valueName).c_str(), nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
}

bool setAutostart(const Text& valueName, bool on, const Text& command) {
    const RegKey key = RegKey::create(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE);
    if (!key.get()) return false;
    const std::wstring name = toWide(valueName);
    if (!on) {
        const LSTATUS rc = RegDeleteValueW(key.get(), name.c_str());
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    const std::wstring data = toWide(command);
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          bytes) == ERROR_SUCCESS;
}
