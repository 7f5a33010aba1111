// The "CallStack" section of a crash report: a bounded walk of the
// frame-pointer chain, each frame named from the recorded routines, from a
// module's export table, or by bare address. Pure over a MemoryReader and a
// module list; writes into caller-provided fixed storage (crash path).
#pragma once

#include <cstdint>

#include "crashguard/memory_reader.h"
#include "crashguard/module_list.h"
#include "crashguard/text_sink.h"

struct FramePair {
    std::uint32_t framePointer;
    std::uint32_t codeAddress;
};

// One recorded routine as the analysis sees it (a copy of a CallStackEntry;
// `name` points at the live entry's text, which cannot change while its
// thread is inside the crash handler).
struct RecordedFrame {
    std::uint32_t returnAddress;
    std::uint32_t framePointer;
    const char* name;
};

struct StackAnalysisOptions {
    std::int32_t skipOuterSystemFrames = 1;
    std::int32_t maxExportDistance = 4096;
    std::int32_t outermostFirst = 0;
};

constexpr int kMaxStackFrames = 256;

// Pairs {frame pointer, code address} from the faulting routine outwards.
// Stops at an unreadable frame, after `capacity` pairs, or when the next
// frame pointer does not increase (a looping chain of a corrupt stack).
int walkFramePointers(const MemoryReader& memory, std::uint32_t framePointer,
                      std::uint32_t codeAddress, FramePair* out, int capacity);

// Names `address` after the nearest exported routine of the module at `base`
// at or below it: the export's name, or hex8 of its address when it has
// none. Returns the distance from that routine, 0 (and "") on any failure.
std::uint32_t symbolizeAddress(const MemoryReader& memory, std::uint32_t address,
                               std::uint32_t base, TextSink& symbol);

struct StackLine {
    std::uint32_t codeAddress;
    std::uint32_t framePointer;
    char text[320];
};

// Working storage of one analysis (about 80 KB: keep it off the stack).
struct StackAnalysisScratch {
    StackLine lines[kMaxStackFrames];
};

// Lines "<i spaces><text>\r\n", numbered from 1, innermost frame first unless
// outermostFirst. `thunk` is the pop thunk's address (0 when none exists).
void buildStackAnalysis(const FramePair* pairs, int pairCount, const RecordedFrame* recorded,
                        int recordedCount, std::uint32_t thunk, const ModuleList& modules,
                        const MemoryReader& memory, const StackAnalysisOptions& options,
                        StackAnalysisScratch& scratch, TextSink& out);
