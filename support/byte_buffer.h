// ByteBuffer: the growable writing side of a ByteStream. Not thread-safe;
// one owner at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/values.h"

class ByteBuffer {
public:
    static constexpr int kInitialCapacity = 10240;
    static constexpr int kGrowthStep = 10240;

    ByteBuffer();

    // Appends n bytes; grows to used + n + kGrowthStep when they do not fit.
    void append(const void* data, int n);
    void appendZeros(int n);
    void clear() { used_ = 0; }
    void assign(const ByteSet& bytes);

    ByteSet copy() const;  // the used bytes
    int used() const { return used_; }
    int capacity() const { return static_cast<int>(bytes_.size()); }

private:
    void reserveFor(int n);

    std::vector<std::uint8_t> bytes_;  // zero beyond used_ when fresh or grown
    int used_ = 0;
};
