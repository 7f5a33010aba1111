#include "runtime/date_parse.h"

#include <cstring>
#include <initializer_list>

namespace {

class Reader {
public:
    explicit Reader(const Text& t) : s_(t.c_str()), n_(t.size()) {}

    int number(int maxDigits) {
        int v = 0;
        for (int k = 0; k < maxDigits && pos_ < n_ && s_[pos_] >= '0' && s_[pos_] <= '9'; ++k)
            v = v * 10 + (s_[pos_++] - '0');
        return v;
    }

    // Consumes one of the separators if the text continues with it.
    void separator(std::initializer_list<const char*> choices) {
        for (const char* sep : choices) {
            size_t len = std::strlen(sep);
            if (pos_ + len <= n_ && std::memcmp(s_ + pos_, sep, len) == 0) {
                pos_ += len;
                return;
            }
        }
    }

    bool atEndOr(const char* tail) {
        if (pos_ == n_) return true;
        size_t len = std::strlen(tail);
        return pos_ + len == n_ && std::memcmp(s_ + pos_, tail, len) == 0;
    }

private:
    const char* s_;
    size_t n_;
    size_t pos_ = 0;
};

}  // namespace

bool parseDateText(const Text& folded, CivilTime& out) {
    Reader r(folded);
    CivilTime c;
    c.year = r.number(4);
    r.separator({"-", ".", "/", ":", "年"});
    c.month = r.number(2);
    r.separator({"-", ".", "/", ":", "月"});
    c.day = r.number(2);
    r.separator({" ", "-", ".", "/", ":", "日"});
    c.hour = r.number(2);
    r.separator({"-", ".", "/", ":", "时"});
    c.minute = r.number(2);
    r.separator({"-", ".", "/", ":", "分"});
    c.second = r.number(2);
    if (!r.atEndOr("秒") || !isValidCivil(c)) return false;
    out = c;
    return true;
}
