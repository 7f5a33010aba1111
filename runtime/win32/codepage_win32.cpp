// GBK <-> UTF-16 with the system's code page 936 tables, whatever the
// system's own ANSI code page is.
#include <windows.h>

#include "runtime/codepage_exact.h"

namespace {
constexpr UINT kGbk = 936;
}

bool gbkToUtf16Exact(std::string_view gbk, std::u16string& out) {
    out.clear();
    if (gbk.empty()) return true;
    const int inLength = static_cast<int>(gbk.size());
    int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(), inLength, nullptr, 0);
    if (n <= 0) return false;
    out.assign(static_cast<size_t>(n), u'\0');
    return MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, gbk.data(), inLength,
                               reinterpret_cast<wchar_t*>(out.data()), n) == n;
}

// WC_NO_BEST_FIT_CHARS: the best-fit tables would turn a character GBK
// lacks into a look-alike ("À" into "A") and report nothing lost, so a
// typed address could silently name another host.
bool utf16ToGbkExact(std::u16string_view utf16, std::string& out) {
    out.clear();
    if (utf16.empty()) return true;
    const auto* w = reinterpret_cast<const wchar_t*>(utf16.data());
    const int inLength = static_cast<int>(utf16.size());
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, w, inLength, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    out.assign(static_cast<size_t>(n), '\0');
    return WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, w, inLength, out.data(), n, nullptr, nullptr) == n;
}
