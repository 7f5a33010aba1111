#include "crashguard/text_sink.h"

#include <cstring>

TextSink& TextSink::append(const char* s) { return s ? append(s, std::strlen(s)) : *this; }

TextSink& TextSink::append(const char* s, std::size_t n) {
    if (cap_ == 0) return *this;
    std::size_t room = cap_ - 1 - len_;
    if (n > room) n = room;
    std::memcpy(buf_ + len_, s, n);
    len_ += n;
    buf_[len_] = '\0';
    return *this;
}

TextSink& TextSink::appendDecimal(std::int32_t value) {
    char digits[12];
    int i = sizeof digits;
    std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value)
                                        : static_cast<std::uint32_t>(value);
    do {
        digits[--i] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[--i] = '-';
    return append(digits + i, sizeof digits - i);
}

TextSink& TextSink::appendHex(std::uint32_t value, int width) {
    static const char kDigits[] = "0123456789ABCDEF";
    char digits[8];
    int n = 0;
    do {
        digits[7 - n++] = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    int pad = (width == 2 || width == 4 || width == 8) ? width - n : 0;
    for (; pad > 0; --pad) append("0", 1);
    return append(digits + 8 - n, n);
}

TextSink& TextSink::appendHexAuto(std::uint32_t value) {
    return appendHex(value, value < 256 ? 2 : value > 0xFFFF ? 8 : 4);
}

void TextSink::clear() {
    len_ = 0;
    if (cap_ > 0) buf_[0] = '\0';
}
