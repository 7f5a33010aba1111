// Conversions between the runtime's value types, with the exact text forms
// that reach the screen and the database. Any thread may call them.
#pragma once

#include <cstdint>

#include "runtime/text.h"
#include "runtime/values.h"

Text toText(int value);
Text toText(std::int16_t value);
Text toText(std::uint8_t value);
Text toText(std::int64_t value);
Text toText(float value);
Text toText(double value);
Text toText(bool value);             // "真" / "假"
Text toText(DateTime value);         // "2016年12月23日13时5分" form
Text toText(const Text& value);
Text toText(const char* value);
Text toText(const ByteSet& value);   // bytes up to the first zero byte

int toInt(const Text& value);        // half-width folding, then atoi
int toInt(const char* value);
int toInt(double value);             // truncated toward zero
int toInt(float value);
int toInt(std::int64_t value);       // low 32 bits
int toInt(SubPointer value);
int toInt(std::uint8_t value);
int toInt(std::int16_t value);
int toInt(bool value);
int toInt(int value);

double toNumber(const Text& value);  // half-width folding, then atof
double toNumber(const char* value);
double toNumber(SubPointer value);
double toNumber(int value);
double toNumber(std::int64_t value);
double toNumber(double value);
double toNumber(float value);
double toNumber(bool value);

// A text that does not parse (see the date grammar) gives 100-01-01 00:00:00.
DateTime toDateTime(const Text& value);
DateTime toDateTime(DateTime value);

ByteSet toByteSet(const Text& value);  // without the terminating zero
ByteSet toByteSet(std::uint8_t value);
ByteSet toByteSet(std::int16_t value);
ByteSet toByteSet(int value);
ByteSet toByteSet(float value);
ByteSet toByteSet(bool value);
ByteSet toByteSet(SubPointer value);
ByteSet toByteSet(std::int64_t value);
ByteSet toByteSet(double value);
ByteSet toByteSet(DateTime value);
ByteSet toByteSet(const ByteSet& value);
