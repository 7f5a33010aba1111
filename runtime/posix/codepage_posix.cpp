// GBK <-> UTF-16 through iconv. Code page 936 is GBK; glibc's "GBK" matches
// it (CP936 differs only by the euro sign at 0x80). Without //TRANSLIT,
// iconv refuses a character GBK lacks instead of guessing a look-alike.
#include <iconv.h>

#include <string>

#include "runtime/codepage_exact.h"

namespace {

// One iconv conversion of the whole input; false on any failure.
bool convert(const char* to, const char* from, const char* data, size_t n, std::string& out) {
    out.clear();
    if (n == 0) return true;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.assign(n * 4 + 8, '\0');
    char* in = const_cast<char*>(data);
    size_t inLeft = n;
    char* outp = out.data();
    size_t outLeft = out.size();
    size_t rc = iconv(cd, &in, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || inLeft != 0) return false;
    out.resize(out.size() - outLeft);
    return true;
}

}  // namespace

bool gbkToUtf16Exact(std::string_view gbk, std::u16string& out) {
    std::string bytes;
    if (!convert("UTF-16LE", "GBK", gbk.data(), gbk.size(), bytes)) return false;
    out.assign(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return true;
}

bool utf16ToGbkExact(std::u16string_view utf16, std::string& out) {
    std::string bytes;
    for (char16_t ch : utf16) {
        bytes.push_back(static_cast<char>(ch & 0xFF));
        bytes.push_back(static_cast<char>(ch >> 8));
    }
    return convert("GBK", "UTF-16LE", bytes.data(), bytes.size(), out);
}
