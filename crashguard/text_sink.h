// TextSink: appends bytes to a caller-owned fixed buffer, always keeping it
// NUL-terminated and silently dropping what does not fit. The crash path
// builds its texts with it because it must not touch the CRT heap (the heap
// may be what is corrupt). Not thread-safe; one writer per sink.
#pragma once

#include <cstddef>
#include <cstdint>

class TextSink {
public:
    TextSink(char* buffer, std::size_t capacity) : buf_(buffer), cap_(capacity) {
        if (cap_ > 0) buf_[0] = '\0';
    }
    TextSink(const TextSink&) = delete;
    TextSink& operator=(const TextSink&) = delete;

    TextSink& append(const char* s);
    TextSink& append(const char* s, std::size_t n);
    TextSink& appendDecimal(std::int32_t value);
    // Unsigned upper-case hexadecimal: width 2, 4 or 8 pads with zeros to
    // that width, any other width prints the plain digits ("%X").
    TextSink& appendHex(std::uint32_t value, int width);
    TextSink& appendHex8(std::uint32_t value) { return appendHex(value, 8); }
    // Width 2 below 256, 8 above 0xFFFF, 4 otherwise.
    TextSink& appendHexAuto(std::uint32_t value);
    void clear();

    const char* c_str() const { return cap_ > 0 ? buf_ : ""; }
    std::size_t size() const { return len_; }
    bool empty() const { return len_ == 0; }

private:
    char* buf_;
    std::size_t cap_;
    std::size_t len_ = 0;
};

// A sink with its own storage, for texts of known bounded size.
template <std::size_t N>
class FixedText : public TextSink {
public:
    FixedText() : TextSink(storage_, N) {}

private:
    char storage_[N];
};
