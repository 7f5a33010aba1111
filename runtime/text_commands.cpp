#include "runtime/text_commands.h"

#include <cctype>
#include <string>

namespace {

bool isFullWidthSpace(const std::string& s, size_t i) {
    return i + 1 < s.size() && static_cast<unsigned char>(s[i]) == 0xA1 &&
           static_cast<unsigned char>(s[i + 1]) == 0xA1;
}

int lowerByte(unsigned char c) { return std::tolower(c); }

bool matchesAt(const std::string& s, const std::string& sought, size_t at, bool ignoreCase) {
    if (at + sought.size() > s.size()) return false;
    for (size_t k = 0; k < sought.size(); ++k) {
        auto a = static_cast<unsigned char>(s[at + k]);
        auto b = static_cast<unsigned char>(sought[k]);
        if (ignoreCase ? lowerByte(a) != lowerByte(b) : a != b) return false;
    }
    return true;
}

}  // namespace

int textLength(const Text& text) { return static_cast<int>(text.size()); }

int findText(const Text& text, const Text& sought, int start, bool ignoreCase) {
    const std::string& s = text.str();
    if (start < 1) start = 1;
    if (static_cast<size_t>(start) > s.size()) return -1;  // also covers the empty text
    if (sought.empty()) return 1;  // non-empty searched part (checked above)
    for (size_t i = static_cast<size_t>(start) - 1; i < s.size(); ++i) {
        if (matchesAt(s, sought.str(), i, ignoreCase)) return static_cast<int>(i) + 1;
        if (static_cast<unsigned char>(s[i]) >= 0x80) ++i;  // never match inside a character
    }
    return -1;
}

Text midText(const Text& text, int start, int length) {
    if (start < 1 || static_cast<size_t>(start) > text.size() || length < 1) return {};
    return Text(text.str().substr(static_cast<size_t>(start) - 1, static_cast<size_t>(length)));
}

Text trimRight(const Text& text) {
    std::string s = text.str();
    for (;;) {
        if (!s.empty() && s.back() == ' ') {
            s.pop_back();
        } else if (s.size() >= 2 && isFullWidthSpace(s, s.size() - 2)) {
            s.resize(s.size() - 2);
        } else {
            break;
        }
    }
    return Text(s);
}

Text removeSpaces(const Text& text) {
    const std::string& s = text.str();
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == ' ') continue;
        if (isFullWidthSpace(s, i)) { ++i; continue; }
        out.push_back(s[i]);
        if (static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size()) out.push_back(s[++i]);
    }
    return Text(out);
}

Text spaces(int n) { return n < 1 ? Text() : Text(std::string(static_cast<size_t>(n), ' ')); }

Text repeatText(int n, const Text& text) {
    std::string out;
    for (int i = 0; i < n; ++i) out += text.str();
    return Text(out);
}

Text charFromCode(unsigned char code) {
    return code == 0 ? Text() : Text(std::string(1, static_cast<char>(code)));
}

Text foldHalfWidth(const Text& text) {
    const std::string& s = text.str();
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        auto lead = static_cast<unsigned char>(s[i]);
        if (lead < 0x80 || i + 1 >= s.size()) { out.push_back(s[i]); continue; }
        auto trail = static_cast<unsigned char>(s[i + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            out.push_back(static_cast<char>(trail - 0x80));
        } else if (lead == 0xA1 && trail == 0xA1) {
            out.push_back(' ');
        } else if (lead == 0xA1 && trail == 0xAB) {
            out.push_back('~');
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            out.push_back('*');
        } else {
            out.push_back(s[i]);
            out.push_back(s[i + 1]);
        }
        ++i;
    }
    return Text(out);
}
