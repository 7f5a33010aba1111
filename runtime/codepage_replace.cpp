// GBK <-> UTF-16 with "?" for what does not convert. The whole text is
// tried first (one system call: the usual case); only a text that fails is
// taken character by character, so each lost character costs one "?" and
// every other character converts as the system converts it.
#include <string_view>

#include "runtime/codepage.h"
#include "runtime/codepage_exact.h"

namespace {

constexpr char kLost = '?';

bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool isTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }
bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The bytes of the GBK character at `at`: a lead byte with its trail byte,
// else one byte (ASCII, or a stray byte the system then refuses).
size_t gbkCharacterLength(std::string_view gbk, size_t at) {
    const auto c = static_cast<unsigned char>(gbk[at]);
    if (isLeadByte(c) && at + 1 < gbk.size() && isTrailByte(static_cast<unsigned char>(gbk[at + 1])))
        return 2;
    return 1;
}

// The units of the UTF-16 character at `at`: a surrogate pair is one
// character (an emoji has one "?", not two).
size_t utf16CharacterLength(std::u16string_view utf16, size_t at) {
    return isHighSurrogate(utf16[at]) && at + 1 < utf16.size() && isLowSurrogate(utf16[at + 1]) ? 2 : 1;
}

}  // namespace

std::u16string gbkToUtf16(const Text& gbk) {
    std::u16string out;
    if (gbk.empty() || gbkToUtf16Exact(gbk.view(), out)) return out;
    out.clear();
    const std::string_view bytes = gbk.view();
    std::u16string piece;
    for (size_t at = 0; at < bytes.size();) {
        const size_t n = gbkCharacterLength(bytes, at);
        if (gbkToUtf16Exact(bytes.substr(at, n), piece)) out += piece;
        else out.push_back(static_cast<char16_t>(kLost));
        at += n;
    }
    return out;
}

Text utf16ToGbk(const std::u16string& utf16) {
    std::string out;
    if (utf16.empty() || utf16ToGbkExact(utf16, out)) return Text(out);
    out.clear();
    const std::u16string_view units = utf16;
    std::string piece;
    for (size_t at = 0; at < units.size();) {
        const size_t n = utf16CharacterLength(units, at);
        if (utf16ToGbkExact(units.substr(at, n), piece)) out += piece;
        else out.push_back(kLost);
        at += n;
    }
    return Text(out);
}

bool fitsGbk(const std::u16string& utf16) {
    std::string unused;
    return utf16.empty() || utf16ToGbkExact(utf16, unused);
}

bool utf8FitsGbk(const std::string& utf8) { return fitsGbk(utf8ToUtf16(utf8)); }
