// MemoryReader: how the crash guard reads memory it does not own (stack
// frames, return addresses, module headers) by 32-bit address. The Windows
// reader probes with IsBadReadPtr/IsBadCodePtr so that a wild pointer reads
// as 0 instead of faulting inside the crash handling; tests supply a reader
// over a fake address space.
#pragma once

#include <cstdint>

class MemoryReader {
public:
    virtual ~MemoryReader() = default;
    // True when `size` bytes at `address` can be read.
    virtual bool readable(std::uint32_t address, std::uint32_t size) const = 0;
    // True when `address` is executable code (IsBadCodePtr gives 0).
    virtual bool isCode(std::uint32_t address) const = 0;
    // Copies `size` bytes; false (and nothing copied) when they are unreadable.
    virtual bool read(std::uint32_t address, void* out, std::uint32_t size) const = 0;
    // The NUL-terminated text at `address`, read without a probe (export
    // names are trusted once the export directory checked out).
    virtual const char* textAt(std::uint32_t address) const = 0;

    // Unreadable memory reads as 0.
    std::uint32_t read32(std::uint32_t address) const {
        std::uint32_t v = 0;
        return read(address, &v, 4) ? v : 0;
    }
    std::uint16_t read16(std::uint32_t address) const {
        std::uint16_t v = 0;
        return read(address, &v, 2) ? v : 0;
    }
};
