// ScopedFpuReset: the floating-point unit in its default state for one scope.
//
// The crash filter and the thread-creation detour run inside whatever code
// crashed or asked for a thread, whose FPU control word may mask or unmask
// exceptions or round differently; their own arithmetic (the report's
// numbers, the runtime's conversions) wants the defaults. The caller's
// control word comes back when the scope ends. Heap-free and allocation-free:
// it runs on the crash path. x86 only.
#pragma once

class ScopedFpuReset {
public:
    ScopedFpuReset() { asm volatile("fnstcw %0\n\tfninit" : "=m"(control_)); }
    ~ScopedFpuReset() { asm volatile("fldcw %0" : : "m"(control_)); }
    ScopedFpuReset(const ScopedFpuReset&) = delete;
    ScopedFpuReset& operator=(const ScopedFpuReset&) = delete;

private:
    unsigned short control_ = 0;
};
