#include "crashguard/win32/guard_frame.h"

#include <cstdint>

#include "crashguard/crash_report.h"
#include "crashguard/stack_analysis.h"
#include "crashguard/win32/call_stack.h"
#include "crashguard/win32/crash_show.h"
#include "crashguard/win32/fpu_reset.h"
#include "crashguard/win32/probing_reader.h"
#include "crashguard/win32/registry.h"

namespace {

// Everything one crash needs, from VirtualAlloc: the CRT heap may be what
// failed, and the stack may be nearly exhausted (stack overflow). Never
// freed: the thread or the process ends right after, and the thread's
// ThreadContext keeps pointing at the texts.
struct CrashScratch {
    ExceptionSnapshot snapshot;
    ModuleList modules;
    FramePair pairs[kMaxStackFrames];
    RecordedFrame recorded[kMaxStackFrames];
    StackAnalysisScratch analysis;
    char report[4096];
    char callStack[16384];
};

constexpr std::uint32_t kMaxParameters = 15;

// Reached only when the crash handling itself faults: nothing of the
// report can be trusted any more, so say so and end.
EXCEPTION_DISPOSITION __cdecl lastResortHandler(EXCEPTION_RECORD*, void*, CONTEXT*, void*) {
    ExitProcess(0);
}

EXCEPTION_DISPOSITION __cdecl fatalGuardHandler(EXCEPTION_RECORD*, void*, CONTEXT*, void*) {
    // A fault in here would come back to this handler: end at once instead.
    GuardFrame lastResort(lastResortHandler);
    const CrashGuardOptions& o = crashGuardOptions();
    if (o.showMessageBox == 1) {
        MessageBoxW(nullptr, L"程序发生严重错误，无法获取异常信息，程序准备关闭", L"", MB_ICONERROR);
    }
    if (o.exitFaultingThreadOnly == 1) exitAfterCrash();
    ExitProcess(0);
}

void takeSnapshot(const EXCEPTION_RECORD* record, const CONTEXT* context, ExceptionSnapshot& s) {
    s.code = record->ExceptionCode;
    s.flags = record->ExceptionFlags;
    s.record = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(record->ExceptionRecord));
    s.address = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(record->ExceptionAddress));
    s.numberParameters = record->NumberParameters;
    std::uint32_t n = s.numberParameters < kMaxParameters ? s.numberParameters : kMaxParameters;
    for (std::uint32_t i = 0; i < kMaxParameters; ++i) {
        s.information[i] = i < n ? static_cast<std::uint32_t>(record->ExceptionInformation[i]) : 0;
    }
    s.ebp = context->Ebp;
    s.eip = context->Eip;
}

}  // namespace

ExceptionRegistration* frameChainHead() {
    ExceptionRegistration* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void setFrameChainHead(ExceptionRegistration* head) {
    asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

GuardFrame::GuardFrame(FrameHandler handler) {
    record_.handler = reinterpret_cast<void*>(handler);
    record_.next = frameChainHead();
    setFrameChainHead(&record_);
}

GuardFrame::~GuardFrame() {
    // Records linked above ours and not removed belong to routines that are
    // gone by now: restoring our predecessor drops them too.
    setFrameChainHead(record_.next);
}

extern "C" EXCEPTION_DISPOSITION __cdecl guardFrameHandler(EXCEPTION_RECORD* record, void*,
                                                           CONTEXT* context, void*) {
    // An unwind passing through is not a crash.
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) {
        return ExceptionContinueSearch;
    }
    GuardFrame nested(fatalGuardHandler);
    int result = 0;
    {
        ScopedFpuReset fpu;
        result = crashFilter(record, context);
    }
    if (result == 0) return ExceptionContinueSearch;
    if (result == -1) return ExceptionContinueExecution;
    return static_cast<EXCEPTION_DISPOSITION>(-1);
}

int crashFilter(EXCEPTION_RECORD* record, CONTEXT* context) {
    const CrashGuardOptions& o = crashGuardOptions();
    if (o.reportEnabled == 0) return 0;
    if (o.ignoreMsvcThrow != 0 && record->ExceptionCode == kMsvcThrowCode) return 0;

    auto* s = static_cast<CrashScratch*>(
        VirtualAlloc(nullptr, sizeof(CrashScratch), MEM_COMMIT, PAGE_READWRITE));
    if (!s) RaiseException(STATUS_NO_MEMORY, EXCEPTION_NONCONTINUABLE, 0, nullptr);  // fatal guard
    takeSnapshot(record, context, s->snapshot);
    snapshotModules(s->modules);
    ProbingReader memory;

    int pairs = walkFramePointers(memory, s->snapshot.ebp, s->snapshot.eip, s->pairs, kMaxStackFrames);
    int recorded = copyCallStack(s->recorded, kMaxStackFrames);
    StackAnalysisOptions analysis;
    analysis.skipOuterSystemFrames = o.skipOuterSystemFrames;
    analysis.maxExportDistance = o.maxExportDistance;
    analysis.outermostFirst = o.outermostFirst;
    TextSink callStack(s->callStack, sizeof s->callStack);
    buildStackAnalysis(s->pairs, pairs, s->recorded, recorded, popThunk(), s->modules, memory,
                       analysis, s->analysis, callStack);

    TextSink report(s->report, sizeof s->report);
    buildCrashReport(s->snapshot, s->modules, memory, report);
    threadContext().setTexts(s->report, s->callStack);

    showCrash();
    if (o.exitFaultingThreadOnly == 1) exitAfterCrash();
    ExitProcess(0);
}
