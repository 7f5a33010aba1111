// RegKey: an open registry key, closed when the object goes. Opening an
// existing key and creating a missing one are the two ways in; either
// leaves get() null when the key could not be had.
#pragma once

#include <windows.h>

class RegKey {
public:
    static RegKey open(HKEY root, const wchar_t* path, REGSAM access) {
        RegKey key;
        if (RegOpenKeyExW(root, path, 0, access, &key.key_) != ERROR_SUCCESS) key.key_ = nullptr;
        return key;
    }
    static RegKey create(HKEY root, const wchar_t* path, REGSAM access) {
        RegKey key;
        if (RegCreateKeyExW(root, path, 0, nullptr, 0, access, nullptr, &key.key_, nullptr) != ERROR_SUCCESS)
            key.key_ = nullptr;
        return key;
    }
    RegKey(RegKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegKey& operator=(RegKey&&) = delete;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { if (key_) RegCloseKey(key_); }
    HKEY get() const { return key_; }

private:
    RegKey() = default;
    HKEY key_ = nullptr;
};
