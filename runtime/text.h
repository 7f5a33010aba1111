// Text: the runtime's text value. It holds GBK bytes (code page 936) on every
// system, is NUL-terminated, and the empty text and the absent text are the
// same value. Bytes after an embedded zero are never kept: a Text built from
// a buffer stops at its first zero byte, as the runtime's texts always have.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class Text {
public:
    Text() = default;
    Text(const char* s) : bytes_(s ? s : "") {}                      // NOLINT: implicit by design
    Text(const std::string& s) : bytes_(s.c_str()) {}                // NOLINT
    Text(std::string_view s) : bytes_(s.substr(0, s.find('\0'))) {}  // NOLINT
    Text(const char* data, std::size_t n) : Text(std::string_view(data, n)) {}

    const char* c_str() const { return bytes_.c_str(); }
    const std::string& str() const { return bytes_; }
    std::string_view view() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    unsigned char at(std::size_t i) const { return static_cast<unsigned char>(bytes_[i]); }

    Text& operator+=(const Text& o) { bytes_ += o.bytes_; return *this; }
    friend Text operator+(Text a, const Text& b) { a += b; return a; }
    friend Text operator+(Text a, const char* b) { a += Text(b); return a; }
    friend Text operator+(const char* a, const Text& b) { return Text(a) + b; }
    friend bool operator==(const Text& a, const Text& b) { return a.bytes_ == b.bytes_; }
    friend bool operator!=(const Text& a, const Text& b) { return a.bytes_ != b.bytes_; }
    friend bool operator<(const Text& a, const Text& b) { return a.bytes_ < b.bytes_; }

private:
    std::string bytes_;
};
