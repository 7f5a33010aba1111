// ModuleList: the modules of the process as a fixed table (no heap: it is
// filled on the crash path). The first entry is the main executable.
#pragma once

#include <cstdint>

struct ModuleEntry {
    char name[256];        // file name without directory
    std::uint32_t base;    // load address
    std::uint32_t end;     // base + size, inclusive for lookups
};

struct ModuleList {
    static constexpr int kCapacity = 160;
    ModuleEntry entries[kCapacity];
    int count = 0;

    // Appends; entries beyond the capacity are dropped.
    void add(const char* name, std::uint32_t base, std::uint32_t size);
    // The first entry with base <= address <= end, or nullptr.
    const ModuleEntry* find(std::uint32_t address) const;
};
