#include "crashguard/module_list.h"

#include <cstring>

void ModuleList::add(const char* name, std::uint32_t base, std::uint32_t size) {
    if (count >= kCapacity) return;
    ModuleEntry& e = entries[count++];
    std::strncpy(e.name, name ? name : "", sizeof e.name - 1);
    e.name[sizeof e.name - 1] = '\0';
    e.base = base;
    e.end = base + size;
}

const ModuleEntry* ModuleList::find(std::uint32_t address) const {
    for (int i = 0; i < count; ++i) {
        if (entries[i].base <= address && address <= entries[i].end) return &entries[i];
    }
    return nullptr;
}
