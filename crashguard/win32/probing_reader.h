// The MemoryReader over this process's own memory: every read is probed
// with IsBadReadPtr first, so a wild frame pointer reads as 0 instead of
// faulting inside the crash handling. Stateless; any thread.
#pragma once

#include "crashguard/memory_reader.h"

class ProbingReader : public MemoryReader {
public:
    bool readable(std::uint32_t address, std::uint32_t size) const override;
    bool isCode(std::uint32_t address) const override;
    bool read(std::uint32_t address, void* out, std::uint32_t size) const override;
    const char* textAt(std::uint32_t address) const override;
};

// Fills `modules` from a Toolhelp snapshot of this process (the main
// executable first). Allocates nothing from the CRT heap. Leaves the list
// empty when the snapshot fails.
void snapshotModules(struct ModuleList& modules);
