#include "crashguard/win32/probing_reader.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "crashguard/module_list.h"

namespace {
void* at(std::uint32_t address) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)); }
}  // namespace

bool ProbingReader::readable(std::uint32_t address, std::uint32_t size) const {
    return address != 0 && !IsBadReadPtr(at(address), size);
}

bool ProbingReader::isCode(std::uint32_t address) const {
    return address != 0 && !IsBadCodePtr(reinterpret_cast<FARPROC>(at(address)));
}

bool ProbingReader::read(std::uint32_t address, void* out, std::uint32_t size) const {
    if (!readable(address, size)) return false;
    std::memcpy(out, at(address), size);
    return true;
}

const char* ProbingReader::textAt(std::uint32_t address) const {
    return address ? static_cast<const char*>(at(address)) : "";
}

void snapshotModules(ModuleList& modules) {
    modules.count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE) return;
    MODULEENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more;
         more = Module32NextW(snapshot, &entry)) {
        // Texts are GBK inside the program; converted in place, no heap.
        char name[256];
        if (WideCharToMultiByte(936, 0, entry.szModule, -1, name, sizeof name, nullptr, nullptr) == 0)
            name[0] = '\0';
        modules.add(name,
                    static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(entry.modBaseAddr)),
                    entry.modBaseSize);
    }
    CloseHandle(snapshot);
}
