// ByteStream: typed values to bytes and back, the encoding of every payload
// passed between threads. Integers little-endian; bool as int32 (read: non-zero
// is true); text as a 16-bit length and its GBK bytes; byte block as a 32-bit
// length and its bytes; arrays as a 16-bit count and their elements.
//
// Two independent sides: reading goes over the block given to setData with a
// 1-based cursor; writing appends to an internal ByteBuffer. A failed read
// returns 0 / false / empty, calls the error handler if one was set, and
// leaves the cursor where it was (a text read keeps its length field
// consumed). Create one object per payload; an object is not meant to be
// shared between threads, though setData and the raw read are locked.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/critical_section.h"
#include "runtime/text.h"
#include "runtime/values.h"
#include "support/byte_buffer.h"

// Called on a read error with the operation's name and code, the whole block
// as hex ("05 00 0A"), the cursor, the block's length, what remained and the
// bytes the read needed.
using ReadErrorHandler = void (*)(const Text& name, int code, const Text& hexData, int position,
                                  int length, int remaining, int needed);

class ByteStream {
public:
    ByteStream() = default;
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;

    // ---- reading side
    // Copies `data` and puts the cursor on its first byte; a handler, when
    // given, replaces the current one.
    void setData(const ByteSet& data, ReadErrorHandler errorHandler = nullptr);

    std::uint8_t readByte(std::uint8_t* out = nullptr);
    std::int16_t readShort(std::int16_t* out = nullptr);
    std::int32_t readInt32(std::int32_t* out = nullptr);
    bool readBool(bool* out = nullptr);
    std::int64_t readInt64(std::int64_t* out = nullptr);
    float readFloat(float* out = nullptr);
    double readDouble(double* out = nullptr);
    DateTime readDateTime(DateTime* out = nullptr);  // clamped to -657434 .. 2958465
    // fixedLength >= 0: that many bytes, no length field. A zero byte ends the text.
    Text readText(Text* out = nullptr, int fixedLength = -1);
    ByteSet readBytes(ByteSet* out = nullptr);

    // Arrays: a 16-bit count, then the elements; a failure gives an empty array.
    std::vector<std::uint8_t> readByteArray();
    std::vector<std::int16_t> readShortArray();
    std::vector<std::int32_t> readInt32Array();
    std::vector<std::int64_t> readInt64Array();
    std::vector<float> readFloatArray();
    std::vector<double> readDoubleArray();
    std::vector<DateTime> readDateTimeArray();
    std::vector<Text> readTextArray();
    std::vector<ByteSet> readBytesArray();

    bool skip(int n);    // false (and a reported error) when fewer than n remain
    ByteSet readRest();  // everything from the cursor on
    int remaining() const;
    int position() const { return position_; }

    // ---- writing side
    void writeByte(std::uint8_t value);
    void writeShort(std::int16_t value);
    void writeInt32(std::int32_t value);
    void writeBool(bool value);
    void writeInt64(std::int64_t value);
    void writeFloat(float value);
    void writeDouble(double value);
    void writeDateTime(DateTime value);
    // fixedLength >= 0: exactly that many bytes (cut or zero-padded). A text
    // of more than 32767 bytes does not fit the 16-bit length field: with
    // the length prefix it writes nothing and returns false.
    bool writeText(const Text& text, int fixedLength = -1, bool withLengthPrefix = true);
    void writeBytes(const ByteSet& bytes);

    // Arrays of more than 32767 elements write nothing and return false.
    bool writeByteArray(const std::vector<std::uint8_t>& values);
    bool writeShortArray(const std::vector<std::int16_t>& values);
    bool writeInt32Array(const std::vector<std::int32_t>& values);
    bool writeInt64Array(const std::vector<std::int64_t>& values);
    bool writeFloatArray(const std::vector<float>& values);
    bool writeDoubleArray(const std::vector<double>& values);
    bool writeDateTimeArray(const std::vector<DateTime>& values);
    bool writeTextArray(const std::vector<Text>& values);  // false also when a text is too long
    bool writeBytesArray(const std::vector<ByteSet>& values);

    ByteSet getData() const { return buffer_.copy(); }  // the bytes written so far
    void clearData() { buffer_.clear(); }
    void setWritten(const ByteSet& bytes) { buffer_.assign(bytes); }
    void appendRaw(const ByteSet& bytes);

private:
    template <typename T> T readScalar(const char* name, int code);
    template <typename T> std::vector<T> readArray(const char* name, int code);
    // Arrays of elements of their own length: the count, then each element's
    // read; nullopt from readElement fails the whole array.
    template <typename T, typename ReadElement> std::vector<T> readElementArray(ReadElement readElement);
    template <typename T> bool writeArray(const std::vector<T>& values);
    ByteSet take(int n);
    void reportError(const Text& name, int code, int needed);

    mutable CriticalSection lock_;
    ByteSet data_;
    int position_ = 1;
    int length_ = 0;
    ReadErrorHandler errorHandler_ = nullptr;
    ByteBuffer buffer_;
};
