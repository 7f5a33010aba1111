#include "runtime/win32/registry.h"

#include <windows.h>

#include <vector>

#include "runtime/codepage.h"
#include "runtime/win32/reg_key.h"

namespace {

HKEY rootKey(int root) {
    switch (root) {
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users: return HKEY_USERS;
    default: return HKEY_CURRENT_USER;
    }
}

std::wstring expand(const std::wstring& text) {
    DWORD n = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (n == 0) return text;
    std::wstring out(n, L'\0');
    ExpandEnvironmentStringsW(text.c_str(), out.data(), n);
    out.resize(wcslen(out.c_str()));
    return out;
}

}  // namespace

Text readRegistryText(int root, const Text& keyPath, const Text& defaultText) {
    std::wstring path = toWide(keyPath);
    size_t slash = path.find_last_of(L'\\');
    std::wstring valueName = slash == std::wstring::npos ? path : path.substr(slash + 1);
    std::wstring keyName = slash == std::wstring::npos ? L"" : path.substr(0, slash);
    const RegKey key = RegKey::open(rootKey(root), keyName.c_str(), KEY_READ);
    if (!key.get()) return defaultText;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return defaultText;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return defaultText;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD bytes = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS)
        return defaultText;
    std::wstring value(buffer.data());  // the stored text may lack its zero
    return fromWide((type == REG_EXPAND_SZ ? expand(value) : value).c_str());
}
