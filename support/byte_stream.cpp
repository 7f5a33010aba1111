#include "support/byte_stream.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace {

constexpr int kMaxShortCount = 32767;  // the largest 16-bit length or count
constexpr double kMinDate = -657434.0;  // 0100-01-01
constexpr double kMaxDate = 2958465.0;  // 9999-12-31

const char* const kArrayName = "读数组";
constexpr int kArrayCode = 130;

Text hexDump(const ByteSet& data) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(data.size() * 3);
    for (std::uint8_t b : data) {
        if (!out.empty()) out += ' ';
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return Text(out);
}

template <typename T> T fromBytes(const ByteSet& bytes) {
    T value{};
    std::memcpy(&value, bytes.data(), sizeof(T));  // both targets are little-endian x86
    return value;
}

// Dates outside the years 100..9999 mean nothing to the date commands.
DateTime clampedDate(double days) {
    if (std::isnan(days)) return DateTime{0.0};
    if (days < kMinDate) return DateTime{kMinDate};
    if (days > kMaxDate) return DateTime{kMaxDate};
    return DateTime{days};
}

template <typename T> bool fitsShortCount(const std::vector<T>& values) {
    return values.size() <= static_cast<std::size_t>(kMaxShortCount);
}

template <typename T> T store(T value, T* out) {
    if (out) *out = value;
    return value;
}

}  // namespace

// ---- reading side

void ByteStream::setData(const ByteSet& data, ReadErrorHandler errorHandler) {
    CriticalSectionGuard guard(lock_);
    data_ = data;
    length_ = static_cast<int>(data_.size());
    position_ = 1;
    if (errorHandler) errorHandler_ = errorHandler;
}

int ByteStream::remaining() const {
    CriticalSectionGuard guard(lock_);
    return length_ - position_ + 1;
}

ByteSet ByteStream::take(int n) {
    CriticalSectionGuard guard(lock_);
    int available = length_ - position_ + 1;
    int count = n < available ? n : available;
    ByteSet out;
    if (count > 0) {
        auto from = data_.begin() + (position_ - 1);
        out.assign(from, from + count);
    }
    position_ += n;
    return out;
}

void ByteStream::reportError(const Text& name, int code, int needed) {
    if (!errorHandler_) return;
    errorHandler_(name, code, hexDump(data_), position_, length_, remaining(), needed);
}

template <typename T> T ByteStream::readScalar(const char* name, int code) {
    const int size = static_cast<int>(sizeof(T));
    if (remaining() < size) {
        reportError(name, code, size);
        return T{};
    }
    return fromBytes<T>(take(size));
}

std::uint8_t ByteStream::readByte(std::uint8_t* out) {
    return store(readScalar<std::uint8_t>("读字节型", 10), out);
}
std::int16_t ByteStream::readShort(std::int16_t* out) {
    return store(readScalar<std::int16_t>("读短整数型", 70), out);
}
std::int32_t ByteStream::readInt32(std::int32_t* out) {
    return store(readScalar<std::int32_t>("读整数型", 20), out);
}
bool ByteStream::readBool(bool* out) {
    return store(readScalar<std::int32_t>("读逻辑型", 50) != 0, out);
}
std::int64_t ByteStream::readInt64(std::int64_t* out) {
    return store(readScalar<std::int64_t>("读长整数型", 80), out);
}
float ByteStream::readFloat(float* out) { return store(readScalar<float>("读小数型", 60), out); }
double ByteStream::readDouble(double* out) {
    return store(readScalar<double>("读双精度小数型", 120), out);
}

DateTime ByteStream::readDateTime(DateTime* out) {
    return store(clampedDate(readScalar<double>("读日期时间型", 110)), out);
}

Text ByteStream::readText(Text* out, int fixedLength) {
    int length = fixedLength;
    if (fixedLength < 0) {
        const bool hasField = remaining() >= 2;
        length = hasField ? fromBytes<std::int16_t>(take(2)) : 0;
        if (length <= 0) {  // a missing, empty or negative length field
            reportError("读文本型", 40, 2);
            return store(Text(), out);
        }
    }
    if (remaining() < length) {
        reportError("读文本型", 40, length);
        return store(Text(), out);
    }
    ByteSet bytes = take(length);
    return store(Text(reinterpret_cast<const char*>(bytes.data()), bytes.size()), out);
}

ByteSet ByteStream::readBytes(ByteSet* out) {
    if (remaining() < 4) {
        reportError("读字节集", 30, 4);
        return store(ByteSet(), out);
    }
    // Look at the length before taking it: a failed read leaves the cursor.
    std::int32_t n;
    {
        CriticalSectionGuard guard(lock_);
        std::memcpy(&n, data_.data() + (position_ - 1), sizeof n);
    }
    if (n < 0 || remaining() - 4 < n) {
        reportError("读字节集", 30, n < 0 ? 4 : 4 + n);
        return store(ByteSet(), out);
    }
    take(4);
    return store(take(n), out);
}

template <typename T> std::vector<T> ByteStream::readArray(const char* name, int code) {
    if (remaining() < 2) {
        reportError(name, code, 2);
        return {};
    }
    ByteSet countField;
    {
        CriticalSectionGuard guard(lock_);
        countField.assign(data_.begin() + (position_ - 1), data_.begin() + (position_ + 1));
    }
    const int count = fromBytes<std::int16_t>(countField);
    const int needed = 2 + count * static_cast<int>(sizeof(T));
    if (count < 0 || remaining() < needed) {
        reportError(name, code, count < 0 ? 2 : needed);
        return {};
    }
    take(2);
    ByteSet bytes = take(count * static_cast<int>(sizeof(T)));
    std::vector<T> values(static_cast<std::size_t>(count));
    if (count > 0) std::memcpy(values.data(), bytes.data(), bytes.size());
    return values;
}

std::vector<std::uint8_t> ByteStream::readByteArray() { return readArray<std::uint8_t>(kArrayName, kArrayCode); }
std::vector<std::int16_t> ByteStream::readShortArray() { return readArray<std::int16_t>(kArrayName, kArrayCode); }
std::vector<std::int32_t> ByteStream::readInt32Array() { return readArray<std::int32_t>(kArrayName, kArrayCode); }
std::vector<std::int64_t> ByteStream::readInt64Array() { return readArray<std::int64_t>(kArrayName, kArrayCode); }
std::vector<float> ByteStream::readFloatArray() { return readArray<float>(kArrayName, kArrayCode); }
std::vector<double> ByteStream::readDoubleArray() { return readArray<double>(kArrayName, kArrayCode); }

std::vector<DateTime> ByteStream::readDateTimeArray() {
    std::vector<DateTime> values;
    for (double days : readArray<double>(kArrayName, kArrayCode)) values.push_back(clampedDate(days));
    return values;
}

template <typename T, typename ReadElement>
std::vector<T> ByteStream::readElementArray(ReadElement readElement) {
    const int count = remaining() >= 2 ? readShort() : -1;
    if (count < 0) {
        reportError(kArrayName, kArrayCode, 2);
        return {};
    }
    std::vector<T> values;
    for (int i = 0; i < count; ++i) {
        std::optional<T> element = readElement();
        if (!element) return {};  // the element's own read reported the failure
        values.push_back(std::move(*element));
    }
    return values;
}

std::vector<Text> ByteStream::readTextArray() {
    return readElementArray<Text>([this]() -> std::optional<Text> {
        Text element = readText();
        if (element.empty()) return std::nullopt;  // no text reads back empty: the read failed
        return element;
    });
}

std::vector<ByteSet> ByteStream::readBytesArray() {
    return readElementArray<ByteSet>([this]() -> std::optional<ByteSet> {
        const int before = remaining();
        ByteSet element = readBytes();
        if (remaining() == before) return std::nullopt;  // nothing taken: the read failed
        return element;
    });
}

bool ByteStream::skip(int n) {
    if (n < 0 || remaining() < n) {
        reportError("读跳过数据", 90, n);
        return false;
    }
    take(n);
    return true;
}

ByteSet ByteStream::readRest() {
    const int rest = remaining();
    if (rest < 1) {
        reportError("读剩余数据", 100, 1);
        return {};
    }
    return take(rest);
}

// ---- writing side

void ByteStream::writeByte(std::uint8_t value) { buffer_.append(&value, sizeof value); }
void ByteStream::writeShort(std::int16_t value) { buffer_.append(&value, sizeof value); }
void ByteStream::writeInt32(std::int32_t value) { buffer_.append(&value, sizeof value); }
void ByteStream::writeBool(bool value) { writeInt32(value ? 1 : 0); }
void ByteStream::writeInt64(std::int64_t value) { buffer_.append(&value, sizeof value); }
void ByteStream::writeFloat(float value) { buffer_.append(&value, sizeof value); }
void ByteStream::writeDouble(double value) { buffer_.append(&value, sizeof value); }
void ByteStream::writeDateTime(DateTime value) { writeDouble(value.value); }

bool ByteStream::writeText(const Text& text, int fixedLength, bool withLengthPrefix) {
    const int n = static_cast<int>(text.size());
    // The length would wrap and the reader would lose its place in everything after it.
    if (withLengthPrefix && n > kMaxShortCount) return false;
    if (withLengthPrefix) writeShort(static_cast<std::int16_t>(n));
    if (fixedLength < 0) {
        buffer_.append(text.c_str(), n);
    } else if (n > fixedLength) {
        buffer_.append(text.c_str(), fixedLength);
    } else {
        buffer_.append(text.c_str(), n);
        buffer_.appendZeros(fixedLength - n);
    }
    return true;
}

void ByteStream::writeBytes(const ByteSet& bytes) {
    writeInt32(static_cast<std::int32_t>(bytes.size()));
    appendRaw(bytes);
}

void ByteStream::appendRaw(const ByteSet& bytes) {
    buffer_.append(bytes.data(), static_cast<int>(bytes.size()));
}

template <typename T> bool ByteStream::writeArray(const std::vector<T>& values) {
    if (!fitsShortCount(values)) return false;
    writeShort(static_cast<std::int16_t>(values.size()));
    buffer_.append(values.data(), static_cast<int>(values.size() * sizeof(T)));
    return true;
}

bool ByteStream::writeByteArray(const std::vector<std::uint8_t>& v) { return writeArray(v); }
bool ByteStream::writeShortArray(const std::vector<std::int16_t>& v) { return writeArray(v); }
bool ByteStream::writeInt32Array(const std::vector<std::int32_t>& v) { return writeArray(v); }
bool ByteStream::writeInt64Array(const std::vector<std::int64_t>& v) { return writeArray(v); }
bool ByteStream::writeFloatArray(const std::vector<float>& v) { return writeArray(v); }
bool ByteStream::writeDoubleArray(const std::vector<double>& v) { return writeArray(v); }

bool ByteStream::writeDateTimeArray(const std::vector<DateTime>& values) {
    std::vector<double> days;
    for (DateTime d : values) days.push_back(d.value);
    return writeArray(days);
}

bool ByteStream::writeTextArray(const std::vector<Text>& values) {
    if (!fitsShortCount(values)) return false;
    for (const Text& t : values)
        if (t.size() > static_cast<std::size_t>(kMaxShortCount)) return false;
    writeShort(static_cast<std::int16_t>(values.size()));
    for (const Text& t : values) writeText(t);
    return true;
}

bool ByteStream::writeBytesArray(const std::vector<ByteSet>& values) {
    if (!fitsShortCount(values)) return false;
    writeShort(static_cast<std::int16_t>(values.size()));
    for (const ByteSet& b : values) writeBytes(b);
    return true;
}
