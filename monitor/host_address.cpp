#include "monitor/host_address.h"

#include <string>
#include <vector>

namespace {

constexpr std::size_t kAddressParts = 4;
constexpr int kMaxPart = 255;
constexpr std::size_t kMaxPartDigits = 3;
constexpr std::size_t kMaxLabel = 63;
constexpr std::size_t kMaxName = 253;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string> splitDots(const std::string& s) {
    std::vector<std::string> parts(1);
    for (char c : s) {
        if (c == '.') parts.emplace_back();
        else parts.back().push_back(c);
    }
    return parts;
}

bool isAddressPart(const std::string& part) {
    if (part.empty() || part.size() > kMaxPartDigits) return false;
    int value = 0;
    for (char c : part) {
        if (!isDigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    return value <= kMaxPart;
}

bool isLabel(const std::string& label) {
    if (label.empty() || label.size() > kMaxLabel) return false;
    if (label.front() == '-' || label.back() == '-') return false;
    for (char c : label)
        if (!isLetter(c) && !isDigit(c) && c != '-') return false;
    return true;
}

bool hasLetter(const std::string& s) {
    for (char c : s)
        if (isLetter(c)) return true;
    return false;
}

}  // namespace

Text TrimBlanks(const Text& text) {
    const std::string s = text.c_str();
    std::size_t first = 0, last = s.size();
    while (first < last && isBlank(s[first])) ++first;
    while (last > first && isBlank(s[last - 1])) --last;
    return Text(s.substr(first, last - first).c_str());
}

bool IsDottedAddress(const Text& text) {
    const std::vector<std::string> parts = splitDots(text.c_str());
    if (parts.size() != kAddressParts) return false;
    for (const std::string& part : parts)
        if (!isAddressPart(part)) return false;
    return true;
}

bool IsHostName(const Text& text) {
    const std::string s = text.c_str();
    if (s.empty() || s.size() > kMaxName) return false;
    const std::vector<std::string> labels = splitDots(s);
    for (const std::string& label : labels)
        if (!isLabel(label)) return false;
    return hasLetter(labels.back());
}

bool IsMonitorableAddress(const Text& text) { return IsDottedAddress(text) || IsHostName(text); }
