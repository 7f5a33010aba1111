// Hand-made x86 routines for the hook tests, in an executable block of their
// own (the test exe is NX-compatible, so code must live in such a block).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

class CodeBlock {
public:
    CodeBlock()
        : base_(static_cast<std::uint8_t*>(
              VirtualAlloc(nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE))) {}
    ~CodeBlock() {
        if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
    }
    CodeBlock(const CodeBlock&) = delete;
    CodeBlock& operator=(const CodeBlock&) = delete;

    bool valid() const { return base_ != nullptr; }

    // Places a routine at the next 16-byte boundary, INT3 after it.
    std::uintptr_t put(const std::vector<std::uint8_t>& bytes) {
        std::uint8_t* at = base_ + used_;
        std::memcpy(at, bytes.data(), bytes.size());
        std::memset(at + bytes.size(), 0xCC, 16);
        used_ += (bytes.size() + 16 + 15) & ~std::size_t{15};
        FlushInstructionCache(GetCurrentProcess(), at, bytes.size());
        return reinterpret_cast<std::uintptr_t>(at);
    }

    // A routine that starts with CALL rel32 to `callee`, then `rest`.
    std::uintptr_t putCallFirst(std::uintptr_t callee, const std::vector<std::uint8_t>& rest) {
        const auto at = reinterpret_cast<std::uintptr_t>(base_ + used_);
        const auto rel = static_cast<std::uint32_t>(callee - (at + 5));
        std::vector<std::uint8_t> bytes = {0xE8};
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(rel >> (8 * i)));
        bytes.insert(bytes.end(), rest.begin(), rest.end());
        return put(bytes);
    }

private:
    static constexpr std::size_t kSize = 64 * 1024;
    std::uint8_t* base_;
    std::size_t used_ = 0;
};

inline std::vector<std::uint8_t> bytesAt(std::uintptr_t address, std::size_t n) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(address);
    return std::vector<std::uint8_t>(p, p + n);
}

// MEM_FREE once a block has been released.
inline DWORD memoryState(std::uintptr_t address) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info) == 0) return 0;
    return info.State;
}

inline std::uintptr_t jumpTarget(std::uintptr_t at) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(at);
    if (p[0] != 0xE9) return 0;
    std::int32_t rel;
    std::memcpy(&rel, p + 1, 4);
    return at + 5 + static_cast<std::uint32_t>(rel);
}
