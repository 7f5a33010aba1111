// Bit commands.
#pragma once

#include <cstdint>
#include <initializer_list>

int bitAnd(std::initializer_list<int> values);
int bitOr(std::initializer_list<int> values);
int shiftRight(int value, int count);  // arithmetic, by count & 31
int makeLong(int low, int high);       // (high << 16) | (low & 0xFFFF)
std::int16_t makeWord(int low, int high);  // (high << 8) | (low & 0xFF)
