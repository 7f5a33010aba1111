#include "crashguard/str_map.h"

std::intptr_t StrMap::get(const char* key) const {
    for (const Entry& e : entries_) {
        if (e.key == key) return e.value;
    }
    return 0;
}

void StrMap::set(const char* key, std::intptr_t value) {
    for (Entry& e : entries_) {
        if (e.key == key) {
            e.value = value;
            return;
        }
    }
    entries_.push_back(Entry{key, value});
}
