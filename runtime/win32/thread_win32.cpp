#include <windows.h>

#include <new>

#include "runtime/thread.h"

namespace {

// Reserved (not committed) stack of every started thread; see thread.h.
constexpr SIZE_T kStackReservation = 256 * 1024;

// Contiguous address space that must stay free for everything but stacks
// (heaps, the database, the window layer, Wine's own per-call buffers) when
// a thread is started; see thread.h.
constexpr SIZE_T kAddressHeadroom = 64 * 1024 * 1024;

// A reservation is only address space; taking and giving it back costs two
// calls and no memory.
bool headroomLeft() {
    void* probe = VirtualAlloc(nullptr, kAddressHeadroom, MEM_RESERVE, PAGE_NOACCESS);
    if (!probe) return false;
    VirtualFree(probe, 0, MEM_RELEASE);
    return true;
}

struct StartRecord {
    ThreadRoutine routine;
    std::uintptr_t argument;
};

// The routine is an ordinary (cdecl) function; CreateThread needs a WINAPI one.
DWORD WINAPI threadEntry(LPVOID param) {
    StartRecord start = *static_cast<StartRecord*>(param);
    delete static_cast<StartRecord*>(param);
    return static_cast<DWORD>(start.routine(start.argument));
}

}  // namespace

bool startThread(ThreadRoutine routine, std::uintptr_t argument, ThreadHandle* handle) {
    if (handle) *handle = 0;
    if (!routine) return false;
    if (!headroomLeft()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    auto* start = new (std::nothrow) StartRecord{routine, argument};
    if (!start) return false;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, kStackReservation, threadEntry, start,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, &id);
    if (!thread) {
        delete start;
        return false;
    }
    if (handle)
        *handle = reinterpret_cast<ThreadHandle>(thread);
    else
        CloseHandle(thread);
    return true;
}

bool closeThreadHandle(ThreadHandle handle) {
    HANDLE h = reinterpret_cast<HANDLE>(handle);
    DWORD flags = 0;
    // Closing an invalid handle raises an exception under a debugger; ask first.
    if (!h || !GetHandleInformation(h, &flags)) return false;
    return CloseHandle(h) != 0;
}

bool waitThread(ThreadHandle handle, int timeoutMs) {
    HANDLE h = reinterpret_cast<HANDLE>(handle);
    if (!h) return false;
    DWORD timeout = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    return WaitForSingleObject(h, timeout) == WAIT_OBJECT_0;
}

std::uintptr_t currentThreadId() { return GetCurrentThreadId(); }

void lowerCurrentThreadPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }
