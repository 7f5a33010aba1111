// GBK <-> UTF-16 with the system's code page 936 tables, whatever the
// system's own ANSI code page is.
#include <windows.h>

#include "runtime/codepage.h"

namespace {
constexpr UINT kGbk = 936;
}

std::u16string gbkToUtf16(const Text& gbk) {
    if (gbk.empty()) return {};
    int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.c_str(),
                                static_cast<int>(gbk.size()), nullptr, 0);
    if (n <= 0) return {};
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.c_str(), static_cast<int>(gbk.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

Text utf16ToGbk(const std::u16string& utf16) {
    if (utf16.empty()) return {};
    const auto* w = reinterpret_cast<const wchar_t*>(utf16.data());
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(kGbk, 0, w, static_cast<int>(utf16.size()), nullptr, 0, nullptr,
                                &lossy);
    if (n <= 0 || lossy) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kGbk, 0, w, static_cast<int>(utf16.size()), out.data(), n, nullptr,
                        nullptr);
    return Text(out);
}
