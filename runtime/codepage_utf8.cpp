// UTF-8 <-> UTF-16 by hand, identical on every system, so the database sees
// the same bytes whatever the platform. Only 1-3 byte sequences are taken.
#include "runtime/codepage.h"

std::u16string utf8ToUtf16(const std::string& utf8) {
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        unsigned c = *p;
        if (c < 0x80) {
            out.push_back(static_cast<char16_t>(c));
            ++p;
        } else if ((c & 0xE0) == 0xC0 && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            unsigned v = ((c & 0x1F) << 6) | (p[1] & 0x3F);
            if (v < 0x80) return {};  // overlong
            out.push_back(static_cast<char16_t>(v));
            p += 2;
        } else if ((c & 0xF0) == 0xE0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 &&
                   (p[2] & 0xC0) == 0x80) {
            unsigned v = ((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
            if (v < 0x800 || (v >= 0xD800 && v <= 0xDFFF)) return {};
            out.push_back(static_cast<char16_t>(v));
            p += 3;
        } else {
            return {};  // 4-byte sequences and malformed input
        }
    }
    return out;
}

std::string utf16ToUtf8(const std::u16string& utf16) {
    std::string out;
    for (char16_t ch : utf16) {
        unsigned v = ch;
        if (v >= 0xD800 && v <= 0xDFFF) return {};  // outside the BMP
        if (v < 0x80) {
            out.push_back(static_cast<char>(v));
        } else if (v < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (v >> 6)));
            out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (v >> 12)));
            out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
        }
    }
    return out;
}

std::string gbkToUtf8(const Text& gbk) { return utf16ToUtf8(gbkToUtf16(gbk)); }

Text utf8ToGbk(const std::string& utf8) {
    if (utf8.empty()) return {};
    std::u16string wide = utf8ToUtf16(utf8);
    if (wide.empty()) return {};
    return utf16ToGbk(wide);
}
