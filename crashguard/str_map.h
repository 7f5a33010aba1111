// StrMap: a text-keyed registry of word-sized values in insertion order,
// the shape of both the process-wide and the per-thread registries of the
// crash guard. Keys compare exactly (byte by byte, case-sensitive); an absent
// key reads as 0. No lock: each registry has one writer at a time (the
// process one is written during start-up, a thread's one by its thread).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class StrMap {
public:
    StrMap() = default;
    StrMap(const StrMap&) = delete;
    StrMap& operator=(const StrMap&) = delete;

    std::intptr_t get(const char* key) const;
    // Replaces the value of an existing key, else appends the key.
    void set(const char* key, std::intptr_t value);
    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        std::string key;
        std::intptr_t value;
    };
    std::vector<Entry> entries_;
};
