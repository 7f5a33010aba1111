#include "runtime/convert.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/date_parse.h"
#include "runtime/datetime.h"
#include "runtime/text_commands.h"

namespace {

template <typename... Args>
Text format(const char* fmt, Args... args) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, fmt, args...);
    return Text(buffer);
}

template <typename T>
ByteSet littleEndianBytes(T value) {
    ByteSet out(sizeof(T));
    std::memcpy(out.data(), &value, sizeof(T));  // x86 and x86-64 are little-endian
    return out;
}

}  // namespace

Text toText(int value) { return format("%d", value); }
Text toText(std::int16_t value) { return format("%d", static_cast<int>(value)); }
Text toText(std::uint8_t value) { return format("%u", static_cast<unsigned>(value)); }
Text toText(std::int64_t value) { return format("%" PRId64, value); }
Text toText(float value) { return format("%.6g", static_cast<double>(value)); }
Text toText(double value) { return format("%.13g", value); }
Text toText(bool value) { return value ? Text("真") : Text("假"); }
Text toText(const Text& value) { return value; }
Text toText(const char* value) { return Text(value); }

Text toText(const ByteSet& value) {
    return Text(reinterpret_cast<const char*>(value.data()), value.size());
}

Text toText(DateTime value) {
    CivilTime c = civilFromDateTime(value);
    Text text = format("%d年%d月%d日", c.year, c.month, c.day);
    if (c.second != 0) {
        text += format("%d时%d分%d秒", c.hour, c.minute, c.second);
    } else if (c.minute != 0) {
        text += format("%d时%d分", c.hour, c.minute);
    } else if (c.hour != 0) {
        text += format("%d时", c.hour);
    }
    return text;
}

int toInt(const Text& value) { return std::atoi(foldHalfWidth(value).c_str()); }
int toInt(const char* value) { return toInt(Text(value)); }
int toInt(double value) { return static_cast<int>(static_cast<std::int64_t>(value)); }
int toInt(float value) { return toInt(static_cast<double>(value)); }
int toInt(std::int64_t value) { return static_cast<int>(static_cast<std::uint32_t>(value)); }
int toInt(SubPointer value) { return static_cast<int>(static_cast<std::uint32_t>(value.address)); }
int toInt(std::uint8_t value) { return value; }
int toInt(std::int16_t value) { return value; }
int toInt(bool value) { return value ? 1 : 0; }
int toInt(int value) { return value; }

double toNumber(const Text& value) { return std::atof(foldHalfWidth(value).c_str()); }
double toNumber(const char* value) { return toNumber(Text(value)); }
double toNumber(SubPointer value) { return static_cast<double>(value.address); }
double toNumber(int value) { return value; }
double toNumber(std::int64_t value) { return static_cast<double>(value); }
double toNumber(double value) { return value; }
double toNumber(float value) { return value; }
double toNumber(bool value) { return value ? 1.0 : 0.0; }

DateTime toDateTime(const Text& value) {
    CivilTime civil;
    if (!parseDateText(foldHalfWidth(value), civil)) civil = CivilTime{};
    return dateTimeFromCivil(civil);
}
DateTime toDateTime(DateTime value) { return value; }

ByteSet toByteSet(const Text& value) { return ByteSet(value.str().begin(), value.str().end()); }
ByteSet toByteSet(std::uint8_t value) { return littleEndianBytes(value); }
ByteSet toByteSet(std::int16_t value) { return littleEndianBytes(value); }
ByteSet toByteSet(int value) { return littleEndianBytes(static_cast<std::int32_t>(value)); }
ByteSet toByteSet(float value) { return littleEndianBytes(value); }
ByteSet toByteSet(bool value) { return littleEndianBytes(static_cast<std::int32_t>(value)); }
ByteSet toByteSet(SubPointer value) {
    return littleEndianBytes(static_cast<std::uint32_t>(value.address));
}
ByteSet toByteSet(std::int64_t value) { return littleEndianBytes(value); }
ByteSet toByteSet(double value) { return littleEndianBytes(value); }
ByteSet toByteSet(DateTime value) { return littleEndianBytes(value.value); }
ByteSet toByteSet(const ByteSet& value) { return value; }
