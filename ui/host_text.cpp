#include "ui/host_text.h"

Text capHostText(const Text& text, std::size_t maxBytes) {
    const std::string& bytes = text.str();
    std::size_t end = 0;
    while (end < bytes.size()) {
        std::size_t width = static_cast<unsigned char>(bytes[end]) >= 0x81 && end + 1 < bytes.size() ? 2 : 1;
        if (end + width > maxBytes) break;
        end += width;
    }
    return Text(bytes.data(), end);
}
