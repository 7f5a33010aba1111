// Code-page conversions at the program's boundaries: GBK (code page 936,
// what Text holds) <-> UTF-16 (the W window APIs) <-> UTF-8 (the database).
// Any thread may call them. A byte sequence that does not convert gives an
// empty result (never a partial one), as callers treat "" as "no value".
#pragma once

#include <string>

#include "runtime/text.h"

std::u16string gbkToUtf16(const Text& gbk);
Text utf16ToGbk(const std::u16string& utf16);

// UTF-8 limited to 1-3 byte sequences (the Basic Multilingual Plane):
// a 4-byte sequence fails the conversion and gives "".
std::u16string utf8ToUtf16(const std::string& utf8);
std::string utf16ToUtf8(const std::u16string& utf16);

std::string gbkToUtf8(const Text& gbk);
Text utf8ToGbk(const std::string& utf8);

#ifdef _WIN32
#include <wchar.h>
// Windows wchar_t is UTF-16: the form the W APIs take.
inline std::wstring toWide(const Text& gbk) {
    std::u16string s = gbkToUtf16(gbk);
    return std::wstring(s.begin(), s.end());
}
inline Text fromWide(const wchar_t* w) {
    std::u16string s;
    for (; w && *w; ++w) s.push_back(static_cast<char16_t>(*w));
    return utf16ToGbk(s);
}
#endif
