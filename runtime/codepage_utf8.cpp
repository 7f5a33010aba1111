// UTF-8 <-> UTF-16 by hand, identical on every system, so the database sees
// the same bytes whatever the platform. Text written by other programs may
// hold any character (an emoji takes four bytes) or broken bytes: each
// character is kept, each malformed sequence becomes U+FFFD, so what follows
// it still converts.
#include "runtime/codepage.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr unsigned kFirstSupplementary = 0x10000;
constexpr unsigned kLastCodePoint = 0x10FFFF;

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }
bool isSurrogate(unsigned v) { return v >= 0xD800 && v <= 0xDFFF; }

// The code point of the sequence at p and its length; length 0 when the
// sequence is malformed (truncated, overlong, a surrogate, past U+10FFFF).
struct Decoded {
    unsigned value;
    int length;
};

Decoded decode(const unsigned char* p, const unsigned char* end) {
    const unsigned c = *p;
    if (c < 0x80) return {c, 1};
    int length = 0;
    unsigned value = 0, least = 0;
    if ((c & 0xE0) == 0xC0) length = 2, value = c & 0x1F, least = 0x80;
    else if ((c & 0xF0) == 0xE0) length = 3, value = c & 0x0F, least = 0x800;
    else if ((c & 0xF8) == 0xF0) length = 4, value = c & 0x07, least = kFirstSupplementary;
    else return {0, 0};
    if (end - p < length) return {0, 0};
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(p[i])) return {0, 0};
        value = (value << 6) | (p[i] & 0x3F);
    }
    if (value < least || value > kLastCodePoint || isSurrogate(value)) return {0, 0};
    return {value, length};
}

void appendUtf16(std::u16string& out, unsigned v) {
    if (v < kFirstSupplementary) {
        out.push_back(static_cast<char16_t>(v));
        return;
    }
    v -= kFirstSupplementary;
    out.push_back(static_cast<char16_t>(0xD800 | (v >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 | (v & 0x3FF)));
}

void appendUtf8(std::string& out, unsigned v) {
    if (v < 0x80) {
        out.push_back(static_cast<char>(v));
    } else if (v < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (v >> 6)));
        out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
    } else if (v < kFirstSupplementary) {
        out.push_back(static_cast<char>(0xE0 | (v >> 12)));
        out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (v >> 18)));
        out.push_back(static_cast<char>(0x80 | ((v >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
    }
}

}  // namespace

std::u16string utf8ToUtf16(const std::string& utf8) {
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        const Decoded d = decode(p, end);
        if (d.length == 0) {
            out.push_back(kReplacement);  // one byte at a time: the next may start a good sequence
            ++p;
        } else {
            appendUtf16(out, d.value);
            p += d.length;
        }
    }
    return out;
}

std::string utf16ToUtf8(const std::u16string& utf16) {
    std::string out;
    for (size_t i = 0; i < utf16.size(); ++i) {
        const unsigned v = utf16[i];
        if (v >= 0xD800 && v <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            appendUtf8(out, kFirstSupplementary + ((v - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, isSurrogate(v) ? kReplacement : v);
        }
    }
    return out;
}

std::string gbkToUtf8(const Text& gbk) { return utf16ToUtf8(gbkToUtf16(gbk)); }

Text utf8ToGbk(const std::string& utf8) { return utf16ToGbk(utf8ToUtf16(utf8)); }
