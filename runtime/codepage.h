// Code-page conversions at the program's boundaries: GBK (code page 936,
// what Text holds) <-> UTF-16 (the W window APIs) <-> UTF-8 (the database).
// Any thread may call them.
//
// A character the target cannot hold becomes "?" (one per character, a
// surrogate pair being one character), as the system's own conversion does,
// and so does a malformed byte sequence: a text is never emptied, so an
// emoji in a host name or a folder cannot turn the whole value into "no
// value" (and a default in its place). Callers that must not lose a
// character (the host dialog, the run folder) ask fitsGbk first.
#pragma once

#include <string>

#include "runtime/text.h"

std::u16string gbkToUtf16(const Text& gbk);
Text utf16ToGbk(const std::u16string& utf16);

// True when every character of the text has a GBK form, so utf16ToGbk (or
// utf8ToGbk) loses nothing. Malformed UTF-8 and lone surrogates never fit.
bool fitsGbk(const std::u16string& utf16);
bool utf8FitsGbk(const std::string& utf8);

// UTF-8 <-> UTF-16 over the whole Unicode range; a malformed UTF-8 sequence
// or a lone surrogate becomes U+FFFD.
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
inline std::u16string wideText(const wchar_t* w) {
    std::u16string s;
    for (; w && *w; ++w) s.push_back(static_cast<char16_t>(*w));
    return s;
}
inline Text fromWide(const wchar_t* w) { return utf16ToGbk(wideText(w)); }
inline bool wideFitsGbk(const wchar_t* w) { return fitsGbk(wideText(w)); }
#endif
