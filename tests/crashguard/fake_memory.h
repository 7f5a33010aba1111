// A small 32-bit address space for the crash-guard builders: byte regions
// at fixed addresses and the ranges that count as code.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "crashguard/memory_reader.h"

class FakeMemory : public MemoryReader {
public:
    void map(std::uint32_t base, std::uint32_t size) { regions_[base].assign(size, 0); }
    void code(std::uint32_t lo, std::uint32_t hi) { code_.emplace_back(lo, hi); }

    void put32(std::uint32_t address, std::uint32_t v) { std::memcpy(at(address, 4), &v, 4); }
    void put16(std::uint32_t address, std::uint16_t v) { std::memcpy(at(address, 2), &v, 2); }
    void putText(std::uint32_t address, const char* s) {
        std::memcpy(at(address, std::strlen(s) + 1), s, std::strlen(s) + 1);
    }

    bool readable(std::uint32_t address, std::uint32_t size) const override {
        return find(address, size) != nullptr;
    }
    bool isCode(std::uint32_t address) const override {
        for (auto& r : code_) {
            if (r.first <= address && address <= r.second) return true;
        }
        return false;
    }
    bool read(std::uint32_t address, void* out, std::uint32_t size) const override {
        const std::uint8_t* p = find(address, size);
        if (!p) return false;
        std::memcpy(out, p, size);
        return true;
    }
    const char* textAt(std::uint32_t address) const override {
        const std::uint8_t* p = find(address, 1);
        return p ? reinterpret_cast<const char*>(p) : "";
    }

private:
    const std::uint8_t* find(std::uint32_t address, std::uint32_t size) const {
        for (auto& [base, bytes] : regions_) {
            if (address >= base && std::uint64_t(address) + size <= std::uint64_t(base) + bytes.size())
                return bytes.data() + (address - base);
        }
        return nullptr;
    }
    std::uint8_t* at(std::uint32_t address, std::size_t size) {
        return const_cast<std::uint8_t*>(find(address, static_cast<std::uint32_t>(size)));
    }

    std::map<std::uint32_t, std::vector<std::uint8_t>> regions_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> code_;
};
