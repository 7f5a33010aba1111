#include "runtime/bits.h"

int bitAnd(std::initializer_list<int> values) {
    int r = -1;
    for (int v : values) r &= v;
    return values.size() == 0 ? 0 : r;
}

int bitOr(std::initializer_list<int> values) {
    int r = 0;
    for (int v : values) r |= v;
    return r;
}

int shiftRight(int value, int count) { return value >> (count & 31); }

int makeLong(int low, int high) {
    return static_cast<int>((static_cast<unsigned>(high) << 16) | (static_cast<unsigned>(low) & 0xFFFFu));
}

std::int16_t makeWord(int low, int high) {
    return static_cast<std::int16_t>((static_cast<unsigned>(high) << 8) | (static_cast<unsigned>(low) & 0xFFu));
}
