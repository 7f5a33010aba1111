// Hexadecimal forms used by the crash report and the stack analysis.
// Any thread may call them (they allocate: not for the crash path, which
// uses TextSink::appendHex directly).
#pragma once

#include <cstdint>

#include "runtime/text.h"

// Unsigned upper-case: "%02X", "%04X", "%08X" for widths 2, 4, 8, "%X" otherwise.
Text formatHex(std::uint32_t value, int width);
// Width 2 below 256, width 8 above 0xFFFF, width 4 otherwise.
Text hexAuto(std::uint32_t value);
