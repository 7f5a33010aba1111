// The crash report text: which exception, where, and in which module.
// Pure builders over a snapshot taken by the exception handler; they write
// into a TextSink and allocate nothing, so the crash path can call them.
#pragma once

#include <cstdint>

#include "crashguard/memory_reader.h"
#include "crashguard/module_list.h"
#include "crashguard/text_sink.h"

// What the report reads of the exception record and the thread context.
struct ExceptionSnapshot {
    std::uint32_t code = 0;
    std::uint32_t flags = 0;
    std::uint32_t record = 0;           // chained EXCEPTION_RECORD address
    std::uint32_t address = 0;          // ExceptionAddress
    std::uint32_t numberParameters = 0; // as claimed by the record, may exceed 15
    std::uint32_t information[15] = {};
    std::uint32_t ebp = 0;              // context registers for the stack walk
    std::uint32_t eip = 0;
};

constexpr std::uint32_t kMsvcThrowCode = 0xE06D7363;
// The code a C++ Builder (Borland/Embarcadero) `throw` raises.
constexpr std::uint32_t kCppBuilderThrowCode = 0x0EEDFAE6;

// Appends the error line(s) for the code; a stack overflow first clears the
// sink, so its report carries no header line.
void appendErrorLines(const ExceptionSnapshot& s, TextSink& out);

// The first return address along the frame-pointer chain (starting at the
// caller of the faulting routine) that lies in the main executable, the
// first module of `modules`. False when the list is empty or the chain breaks.
bool findAnalysisAddress(const MemoryReader& memory, const ModuleList& modules,
                         std::uint32_t ebp, std::uint32_t eip, std::uint32_t& address);

// The whole report: header, error lines, location, module-relative location,
// analysis location and, except for access violations, the parameters.
void buildCrashReport(const ExceptionSnapshot& s, const ModuleList& modules,
                      const MemoryReader& memory, TextSink& out);
