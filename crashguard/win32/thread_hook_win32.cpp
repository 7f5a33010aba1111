#include "crashguard/win32/thread_hook.h"

#include <windows.h>

#include <cstring>

#include "crashguard/win32/call_stack.h"
#include "crashguard/win32/fpu_reset.h"
#include "crashguard/win32/guard_frame.h"
#include "crashguard/win32/registry.h"
#include "support/win32/inline_hook.h"

namespace {

constexpr const char* kHookKey = "_SEH.createThread.hook";

std::uint32_t g_wrapper = 0;

// The thread start wrapper's size and where its two addresses go.
constexpr std::size_t kWrapperLength = 62;
constexpr std::size_t kInstallerAt = 8;
constexpr std::size_t kExitRoutineAt = 28;

// Destroyed at a normal end of the program, which neutralises the hook.
InlineHook& threadHook() {
    static InlineHook hook(AutoUnhook::On);
    return hook;
}

std::uint32_t address(const void* p) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p));
}

std::uint8_t* executableBlock(const std::uint8_t* bytes, std::size_t size) {
    auto* code = static_cast<std::uint8_t*>(
        VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    if (!code) return nullptr;
    std::memcpy(code, bytes, size);
    FlushInstructionCache(GetCurrentProcess(), code, size);
    return code;
}

void put32(std::uint8_t* at, std::uint32_t value) { std::memcpy(at, &value, 4); }

// Runs on the new thread before its guard record is linked: creates the
// thread's ThreadContext now, so that a crash finds it without allocating.
extern "C" void prepareGuardedThread() { threadContext(); }

// The thread guard installer, called by the wrapper with the StartBlock as
// its one stack argument. It links {next, guardFrameHandler} on the stack of
// the wrapper (which addresses everything through EBP and so keeps working
// with ESP 8 bytes lower) and returns there with EAX = 0.
std::uint8_t* makeGuardInstaller() {
    std::uint8_t code[] = {
        0xB8, 0, 0, 0, 0,                          // mov eax, prepareGuardedThread
        0xFF, 0xD0,                                // call eax
        0x59,                                      // pop ecx: return into the wrapper
        0x83, 0xC4, 0x04,                          // add esp, 4: drop the block argument
        0x68, 0, 0, 0, 0,                          // push guardFrameHandler
        0x64, 0xFF, 0x35, 0, 0, 0, 0,              // push dword fs:[0]
        0x64, 0x89, 0x25, 0, 0, 0, 0,              // mov fs:[0], esp
        0x31, 0xC0,                                // xor eax, eax
        0xFF, 0xE1,                                // jmp ecx
    };
    put32(code + 1, address(reinterpret_cast<void*>(&prepareGuardedThread)));
    put32(code + 12, address(reinterpret_cast<void*>(&guardFrameHandler)));
    return executableBlock(code, sizeof code);
}

std::uint8_t* makeWrapper(std::uint32_t installer, std::uint32_t exitRoutine) {
    // ESI carries the exit code across onThreadExit; it belongs to the
    // wrapper's caller (the system's thread start), so it is saved first and
    // given back before the return.
    std::uint8_t code[kWrapperLength] = {
        0x55, 0x8B, 0xEC,                    // push ebp; mov ebp, esp
        0x56,                                // push esi: the caller's, at [ebp-4]
        0xFF, 0x75, 0x08,                    // push [ebp+8]: the StartBlock
        0xB9, 0, 0, 0, 0,                    // mov ecx, installer
        0xFF, 0xD1,                          // call ecx
        0xFF, 0x75, 0x08,                    // push [ebp+8]
        0xE8, 0x17, 0x00, 0x00, 0x00,        // call inner (23 bytes ahead)
        0x8B, 0xF0,                          // mov esi, eax: the exit code
        0xFF, 0x75, 0x08,                    // push [ebp+8]
        0xB9, 0, 0, 0, 0,                    // mov ecx, onThreadExit
        0xFF, 0xD1,                          // call ecx
        0x8B, 0xC6,                          // mov eax, esi
        0x8B, 0x75, 0xFC,                    // mov esi, [ebp-4]: the caller's again
        0x8B, 0xE5, 0x5D, 0xC2, 0x04, 0x00,  // leave; ret 4
        // inner: the block's start routine with the block's parameter
        0x55, 0x8B, 0xEC, 0x8B, 0x45, 0x08, 0xFF, 0x70, 0x04, 0xFF, 0x10,
        0x8B, 0xE5, 0x5D, 0xC2, 0x04, 0x00,
    };
    put32(code + kInstallerAt, installer);
    put32(code + kExitRoutineAt, exitRoutine);
    return executableBlock(code, sizeof code);
}

// Swaps in the wrapper for threads of this process. A failed creation frees
// the block again (the wrapper that would have freed it never runs).
HANDLE createThrough(std::uint32_t process, std::uint32_t security, std::uint32_t stackSize,
                     std::uint32_t start, std::uint32_t parameter, std::uint32_t flags,
                     std::uint32_t attributes, std::uint32_t threadId, int argumentCount) {
    ScopedFpuReset fpu;
    StartBlock* block = nullptr;
    if (process == address(GetCurrentProcess()) && g_wrapper != 0) {
        block = static_cast<StartBlock*>(GlobalAlloc(0, sizeof(StartBlock)));
        if (block) {
            block->startRoutine = start;
            block->parameter = parameter;
            start = g_wrapper;
            parameter = address(block);
        }
    }
    std::uint32_t result =
        argumentCount == 8
            ? threadHook().callTrampoline(process, security, stackSize, start, parameter, flags,
                                          attributes, threadId)
            : threadHook().callTrampoline(process, security, stackSize, start, parameter, flags,
                                          attributes);
    if (result == 0 && block) GlobalFree(block);
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(result));
}

HANDLE WINAPI threadCreateDetourEx(HANDLE process, LPSECURITY_ATTRIBUTES security,
                                   SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                                   DWORD flags, void* attributes, LPDWORD threadId) {
    return createThrough(address(process), address(security), static_cast<std::uint32_t>(stackSize),
                         address(reinterpret_cast<void*>(start)), address(parameter), flags,
                         address(attributes), address(threadId), 8);
}

HANDLE WINAPI threadCreateDetour(HANDLE process, LPSECURITY_ATTRIBUTES security, SIZE_T stackSize,
                                 LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                 LPDWORD threadId) {
    return createThrough(address(process), address(security), static_cast<std::uint32_t>(stackSize),
                         address(reinterpret_cast<void*>(start)), address(parameter), flags,
                         address(threadId), 0, 7);
}

}  // namespace

bool hookThreadCreation() {
    StrMap& process = processStrMap();
    if (process.get(kHookKey) != 0) return true;
    std::uint8_t* installer = makeGuardInstaller();
    std::uint8_t* wrapper =
        installer ? makeWrapper(address(installer), address(reinterpret_cast<void*>(&onThreadExit)))
                  : nullptr;
    if (!wrapper) return false;
    g_wrapper = address(wrapper);
    InlineHook& hook = threadHook();
    bool hooked = hook.hookByName("kernelbase", "CreateRemoteThreadEx",
                                  reinterpret_cast<std::uintptr_t>(&threadCreateDetourEx)) ||
                  hook.hookByName("kernel32", "CreateRemoteThread",
                                  reinterpret_cast<std::uintptr_t>(&threadCreateDetour));
    if (hooked) process.set(kHookKey, 1);
    return hooked;
}

std::uint32_t threadStartWrapper() { return g_wrapper; }

extern "C" void __stdcall onThreadExit(StartBlock* block) {
    // The wrapper's record is the head again once the start routine has
    // returned; unlink it so the chain never points into a dead frame.
    ExceptionRegistration* head = frameChainHead();
    if (head && head->handler == reinterpret_cast<void*>(&guardFrameHandler)) {
        setFrameChainHead(head->next);
    }
    destroyThreadContext();
    destroyCallStack();
    destroyThreadStrMap();
    GlobalFree(block);
}
