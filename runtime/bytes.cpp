#include "runtime/bytes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "runtime/runtime_error.h"

namespace {

int length(const ByteSet& b) { return static_cast<int>(b.size()); }

bool matchAt(const ByteSet& b, const ByteSet& s, int at) {
    return at >= 0 && at + length(s) <= length(b) &&
           std::memcmp(b.data() + at, s.data(), s.size()) == 0;
}

template <typename T>
T readScalar(const ByteSet& b, size_t at) {
    unsigned char raw[sizeof(T)] = {};  // bytes missing at the end read as zero
    size_t n = std::min(sizeof(T), b.size() - at);
    std::memcpy(raw, b.data() + at, n);
    T value;
    std::memcpy(&value, raw, sizeof(T));
    return value;
}

void writeBytes(const void* data, size_t n, std::uintptr_t address, int maxLength) {
    if (maxLength >= 0) n = std::min(n, static_cast<size_t>(maxLength));
    if (address != 0 && n != 0) std::memcpy(reinterpret_cast<void*>(address), data, n);
}

}  // namespace

int byteSetLength(const ByteSet& bytes) { return length(bytes); }

ByteSet leftBytes(const ByteSet& bytes, int n) {
    n = std::clamp(n, 0, length(bytes));
    return ByteSet(bytes.begin(), bytes.begin() + n);
}

ByteSet midBytes(const ByteSet& bytes, int start, int len) {
    start = std::clamp(start, 1, length(bytes) + 1);
    len = std::clamp(len, 0, length(bytes) - (start - 1));
    return ByteSet(bytes.begin() + (start - 1), bytes.begin() + (start - 1) + len);
}

int findBytes(const ByteSet& bytes, const ByteSet& sought, int start) {
    if (sought.empty()) return -1;
    for (int i = std::max(start, 1) - 1; i + length(sought) <= length(bytes); ++i)
        if (matchAt(bytes, sought, i)) return i + 1;
    return -1;
}

int findBytesReverse(const ByteSet& bytes, const ByteSet& sought, int end) {
    if (sought.empty()) return -1;
    int limit = end < 0 ? length(bytes) : std::min(end, length(bytes));
    for (int i = limit - length(sought); i >= 0; --i)
        if (matchAt(bytes, sought, i)) return i + 1;
    return -1;
}

ByteSet replaceBytes(const ByteSet& bytes, const ByteSet& sought, const ByteSet& replacement,
                     int start, int count) {
    if (sought.empty()) return bytes;
    ByteSet out;
    int i = 0;
    int from = std::max(start, 1) - 1;
    int done = 0;
    while (i < length(bytes)) {
        if (i >= from && (count < 0 || done < count) && matchAt(bytes, sought, i)) {
            out.insert(out.end(), replacement.begin(), replacement.end());
            i += length(sought);
            ++done;
        } else {
            out.push_back(bytes[static_cast<size_t>(i++)]);
        }
    }
    return out;
}

ByteSet zeroBytes(int n) { return n < 1 ? ByteSet() : ByteSet(static_cast<size_t>(n), 0); }

Value readFromByteSet(const ByteSet& bytes, int typeCode, int position) {
    return readFromByteSet(bytes, typeCode, &position);
}

Value readFromByteSet(const ByteSet& bytes, int typeCode, int* position) {
    if (typeCode < 1 || typeCode > 10)
        raiseRuntimeError({0, "“欲取出数据的类型”参数值无效"});
    int pos = position ? *position : 1;
    bool inRange = pos >= 1 && pos <= length(bytes);
    size_t at = inRange ? static_cast<size_t>(pos - 1) : 0;
    size_t size = 0;
    Value value;
    switch (typeCode) {
    case 1: value = inRange ? readScalar<std::uint8_t>(bytes, at) : std::uint8_t{0}; size = 1; break;
    case 2: value = inRange ? readScalar<std::int16_t>(bytes, at) : std::int16_t{0}; size = 2; break;
    case 3: value = inRange ? readScalar<std::int32_t>(bytes, at) : std::int32_t{0}; size = 4; break;
    case 4: value = inRange ? readScalar<std::int64_t>(bytes, at) : std::int64_t{0}; size = 8; break;
    case 5: value = inRange ? readScalar<float>(bytes, at) : 0.0f; size = 4; break;
    case 6: value = inRange ? readScalar<double>(bytes, at) : 0.0; size = 8; break;
    case 7: value = inRange && readScalar<std::int32_t>(bytes, at) != 0; size = 4; break;
    case 8: value = DateTime{inRange ? readScalar<double>(bytes, at) : 0.0}; size = 8; break;
    case 9:
        value = SubPointer{inRange ? readScalar<std::uint32_t>(bytes, at) : 0u};
        size = 4;
        break;
    default: {
        Text text = inRange ? Text(reinterpret_cast<const char*>(bytes.data()) + at,
                                   bytes.size() - at)
                            : Text();
        size = text.size() + 1;  // past its terminating zero
        value = text;
    }
    }
    if (position && inRange) {
        int next = pos + static_cast<int>(size);
        *position = next > length(bytes) ? -1 : next;
    }
    return value;
}

std::uintptr_t allocMemory(int size, bool zeroFill) {
    if (size < 1) return 0;
    void* p = zeroFill ? std::calloc(1, static_cast<size_t>(size)) : std::malloc(static_cast<size_t>(size));
    return reinterpret_cast<std::uintptr_t>(p);
}

void freeMemory(std::uintptr_t address) {
    if (address != 0) std::free(reinterpret_cast<void*>(address));
}

ByteSet bytesFromPointer(std::uintptr_t address, int len) {
    if (len <= 0 || address == 0) return {};
    const auto* p = reinterpret_cast<const std::uint8_t*>(address);
    return ByteSet(p, p + len);
}

int intFromPointer(std::uintptr_t address) {
    std::int32_t v;
    std::memcpy(&v, reinterpret_cast<const void*>(address), sizeof v);
    return v;
}

Text textFromPointer(std::uintptr_t address) {
    return address == 0 ? Text() : Text(reinterpret_cast<const char*>(address));
}

void writeMemory(const Text& value, std::uintptr_t address, int maxLength) {
    writeBytes(value.c_str(), value.size() + 1, address, maxLength);
}
void writeMemory(const ByteSet& value, std::uintptr_t address, int maxLength) {
    writeBytes(value.data(), value.size(), address, maxLength);
}
void writeMemory(int value, std::uintptr_t address, int maxLength) {
    writeBytes(&value, sizeof value, address, maxLength);
}
void writeMemory(std::int64_t value, std::uintptr_t address, int maxLength) {
    writeBytes(&value, sizeof value, address, maxLength);
}
void writeMemory(double value, std::uintptr_t address, int maxLength) {
    writeBytes(&value, sizeof value, address, maxLength);
}
