// GBK <-> UTF-16 through iconv. Code page 936 is GBK; glibc's "GBK" matches
// it (CP936 differs only by the euro sign at 0x80).
#include <errno.h>
#include <iconv.h>

#include <string>

#include "runtime/codepage.h"

namespace {

// One iconv conversion of the whole input; "" on any failure.
std::string convert(const char* to, const char* from, const char* data, size_t n) {
    if (n == 0) return {};
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(n * 4 + 8, '\0');
    char* in = const_cast<char*>(data);
    size_t inLeft = n;
    char* outp = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &in, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || inLeft != 0) return {};
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::u16string gbkToUtf16(const Text& gbk) {
    std::string bytes = convert("UTF-16LE", "GBK", gbk.c_str(), gbk.size());
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
}

Text utf16ToGbk(const std::u16string& utf16) {
    std::string bytes;
    for (char16_t ch : utf16) {
        bytes.push_back(static_cast<char>(ch & 0xFF));
        bytes.push_back(static_cast<char>(ch >> 8));
    }
    return Text(convert("GBK", "UTF-16LE", bytes.data(), bytes.size()));
}
