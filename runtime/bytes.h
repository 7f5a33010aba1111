// Byte-set and raw memory commands. Positions are 1-based.
#pragma once

#include <cstdint>

#include "runtime/values.h"

int byteSetLength(const ByteSet& bytes);
ByteSet leftBytes(const ByteSet& bytes, int n);
ByteSet midBytes(const ByteSet& bytes, int start, int length);
int findBytes(const ByteSet& bytes, const ByteSet& sought, int start = 1);
int findBytesReverse(const ByteSet& bytes, const ByteSet& sought, int end = -1);  // -1: whole
ByteSet replaceBytes(const ByteSet& bytes, const ByteSet& sought, const ByteSet& replacement = {},
                     int start = 1, int count = -1);  // count -1: all
ByteSet zeroBytes(int n);

// Type codes: 1 byte, 2 short, 3 int, 4 int64, 5 float, 6 double, 7 bool,
// 8 DateTime, 9 sub pointer, 10 text. Any other code is a runtime error.
// The pointer form advances *position past the value (or sets -1 at the end).
Value readFromByteSet(const ByteSet& bytes, int typeCode, int position = 1);
Value readFromByteSet(const ByteSet& bytes, int typeCode, int* position);

// Raw memory of the runtime heap; addresses are integers as the program sees them.
std::uintptr_t allocMemory(int size, bool zeroFill = false);
void freeMemory(std::uintptr_t address);
ByteSet bytesFromPointer(std::uintptr_t address, int length);
int intFromPointer(std::uintptr_t address);
Text textFromPointer(std::uintptr_t address);
void writeMemory(const Text& value, std::uintptr_t address, int maxLength = -1);  // with its zero
void writeMemory(const ByteSet& value, std::uintptr_t address, int maxLength = -1);
void writeMemory(int value, std::uintptr_t address, int maxLength = -1);
void writeMemory(std::int64_t value, std::uintptr_t address, int maxLength = -1);
void writeMemory(double value, std::uintptr_t address, int maxLength = -1);
