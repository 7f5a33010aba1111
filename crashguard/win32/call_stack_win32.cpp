#include "crashguard/win32/call_stack.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "crashguard/win32/registry.h"

namespace {

constexpr const char* kCallStackKey = "_dbg.g_threadCallStack_tls";
constexpr const char* kThunkKey = "_dbg.g_popRetnCallback";

struct CallStackEntry {
    std::uint32_t returnAddress;
    std::uint32_t framePointer;
    Text name;
};
using CallStack = std::vector<CallStackEntry>;

CallStack* findCallStack() {
    unsigned long slot = static_cast<unsigned long>(processStrMap().get(kCallStackKey));
    return slot ? static_cast<CallStack*>(TlsGetValue(slot - 1)) : nullptr;
}

CallStack* callStack() {
    unsigned long slot = sharedTlsSlot(kCallStackKey);
    if (slot == 0) return nullptr;
    auto* stack = static_cast<CallStack*>(TlsGetValue(slot - 1));
    if (!stack) {
        stack = new CallStack();
        TlsSetValue(slot - 1, stack);
    }
    return stack;
}

// This thread's stack bounds from the thread information block.
void stackBounds(std::uint32_t& low, std::uint32_t& high) {
    // NT_TIB: StackBase at fs:[4], StackLimit at fs:[8].
    asm volatile("movl %%fs:4, %0\n\tmovl %%fs:8, %1" : "=r"(high), "=r"(low));
}

bool isExecutable(std::uint32_t address) {
    return static_cast<std::int32_t>(address) > 0 &&
           !IsBadCodePtr(reinterpret_cast<FARPROC>(static_cast<std::uintptr_t>(address)));
}

// Follows the saved-frame-pointer link `level` times from `fp`, refusing a
// frame outside this thread's stack or one that does not lie above the one
// before (the top of the chain, or a corrupt link). 0 when refused.
std::uint32_t frameAbove(std::uint32_t fp, int level) {
    std::uint32_t low = 0, high = 0;
    stackBounds(low, high);
    if (level < 0 || fp < low || fp + 8 > high) return 0;
    for (int i = 0; i < level; ++i) {
        std::uint32_t next = *reinterpret_cast<std::uint32_t*>(static_cast<std::uintptr_t>(fp));
        if (next <= fp || next + 8 > high) return 0;
        fp = next;
    }
    return fp;
}

bool record(std::uint32_t fp, const Text& name, bool hijack) {
    CallStack* stack = callStack();
    if (!stack || fp == 0) return false;
    auto* slot = reinterpret_cast<std::uint32_t*>(static_cast<std::uintptr_t>(fp) + 4);
    CallStackEntry entry{*slot, fp, name};
    if (!isExecutable(entry.returnAddress)) {
        entry.returnAddress = 0;
        if (hijack) return false;
    }
    if (hijack) {
        std::uint32_t thunk = popThunk();
        if (thunk == 0) return false;
        *slot = thunk;
        stack->push_back(std::move(entry));
        return true;
    }
    while (!stack->empty()) {
        CallStackEntry& newest = stack->back();
        if (newest.framePointer == fp) {
            newest = std::move(entry);
            return true;
        }
        if (static_cast<std::int32_t>(fp) < static_cast<std::int32_t>(newest.framePointer)) break;
        stack->pop_back();  // its routine has returned
    }
    stack->push_back(std::move(entry));
    return true;
}

}  // namespace

__attribute__((noinline)) bool pushCallFrameMode(const Text& name, int level, bool hijack) {
    // Our own frame's saved EBP is the caller's frame pointer.
    auto* own = static_cast<std::uint32_t*>(__builtin_frame_address(0));
    return record(frameAbove(*own, level), name, hijack);
}

__attribute__((noinline)) bool pushCallFrame(const Text& name, int level) {
    auto* own = static_cast<std::uint32_t*>(__builtin_frame_address(0));
    return record(frameAbove(*own, level), name, crashGuardOptions().hijackReturnAddress != 0);
}

extern "C" std::uint32_t popCallFrame() {
    CallStack* stack = findCallStack();
    if (!stack || stack->empty()) return 0;
    std::uint32_t address = stack->back().returnAddress;
    stack->pop_back();
    return address;
}

std::uint32_t popThunk() {
    static std::uint32_t thunk = 0;
    if (thunk) return thunk;
    StrMap& process = processStrMap();
    thunk = static_cast<std::uint32_t>(process.get(kThunkKey));
    if (thunk) return thunk;
    auto* code = static_cast<std::uint8_t*>(
        VirtualAlloc(nullptr, 17, MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    if (!code) return 0;
    const std::uint32_t pop = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&popCallFrame));
    const std::uint8_t bytes[17] = {
        0x83, 0xEC, 0x04,              // sub esp, 4: room for the real return address
        0x60,                          // pushad
        0xB8, 0, 0, 0, 0,              // mov eax, popCallFrame
        0xFF, 0xD0,                    // call eax
        0x89, 0x44, 0x24, 0x20,        // mov [esp+32], eax
        0x61,                          // popad: the routine's results come back
        0xC3,                          // ret through the reserved word
    };
    std::memcpy(code, bytes, sizeof bytes);
    std::memcpy(code + 5, &pop, 4);
    FlushInstructionCache(GetCurrentProcess(), code, 17);
    thunk = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(code));
    process.set(kThunkKey, static_cast<std::intptr_t>(thunk));
    return thunk;
}

int copyCallStack(RecordedFrame* out, int capacity) {
    CallStack* stack = findCallStack();
    if (!stack) return 0;
    int n = 0;
    for (const CallStackEntry& e : *stack) {
        if (n == capacity) break;
        out[n++] = RecordedFrame{e.returnAddress, e.framePointer, e.name.c_str()};
    }
    return n;
}

int callStackDepth() {
    CallStack* stack = findCallStack();
    return stack ? static_cast<int>(stack->size()) : 0;
}

void destroyCallStack() {
    unsigned long slot = static_cast<unsigned long>(processStrMap().get(kCallStackKey));
    if (slot == 0) return;
    delete static_cast<CallStack*>(TlsGetValue(slot - 1));
    TlsSetValue(slot - 1, nullptr);
}
