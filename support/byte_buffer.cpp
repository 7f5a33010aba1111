#include "support/byte_buffer.h"

#include <cstring>

ByteBuffer::ByteBuffer() : bytes_(kInitialCapacity, 0) {}

void ByteBuffer::reserveFor(int n) {
    if (used_ + n > capacity()) bytes_.resize(static_cast<std::size_t>(used_ + n + kGrowthStep), 0);
}

void ByteBuffer::append(const void* data, int n) {
    if (n <= 0) return;
    reserveFor(n);
    std::memcpy(bytes_.data() + used_, data, static_cast<std::size_t>(n));
    used_ += n;
}

void ByteBuffer::appendZeros(int n) {
    if (n <= 0) return;
    reserveFor(n);
    std::memset(bytes_.data() + used_, 0, static_cast<std::size_t>(n));
    used_ += n;
}

void ByteBuffer::assign(const ByteSet& bytes) {
    used_ = 0;
    append(bytes.data(), static_cast<int>(bytes.size()));
}

ByteSet ByteBuffer::copy() const { return ByteSet(bytes_.begin(), bytes_.begin() + used_); }
