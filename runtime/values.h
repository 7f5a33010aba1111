// The runtime's value types besides Text: byte sets, date-times (OLE dates),
// sub pointers, and Value, the one-of-them result of readFromByteSet.
#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "runtime/text.h"

// An owned byte buffer; the empty byte set has no bytes.
using ByteSet = std::vector<std::uint8_t>;

// Days since 1899-12-30 with the time of day as the fraction (OLE date).
struct DateTime {
    double value = 0.0;
    friend bool operator==(DateTime a, DateTime b) { return a.value == b.value; }
    friend bool operator!=(DateTime a, DateTime b) { return a.value != b.value; }
};

// A routine's address (window procedures, thread start routines).
struct SubPointer {
    std::uintptr_t address = 0;
};

using Value = std::variant<std::monostate, std::uint8_t, std::int16_t, std::int32_t, std::int64_t,
                           float, double, bool, DateTime, SubPointer, Text>;
