#include "crashguard/hex_format.h"

#include "crashguard/text_sink.h"

Text formatHex(std::uint32_t value, int width) {
    FixedText<16> out;
    out.appendHex(value, width);
    return Text(out.c_str());
}

Text hexAuto(std::uint32_t value) {
    FixedText<16> out;
    out.appendHexAuto(value);
    return Text(out.c_str());
}
