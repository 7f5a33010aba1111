// Crashes on purpose, under the crash guard, in the way argv[1] names; the
// report reaches stdout through the crash callback, preceded by one line
// "at=<fault address> ret=<return address of the faulting routine>
// base=<module base>" in hexadecimal. Driven by crash_child_test.cpp.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "crashguard/win32/call_stack.h"
#include "crashguard/win32/crash_guard.h"
#include "crashguard/win32/registry.h"
#include "crashguard/win32/thread_hook.h"

// Faulting routines with a standard frame and a label at the faulting
// instruction; each stores its return address in cgLastReturn first.
#define CG_FAULT(name, body)                                           \
    ".globl _" #name ", _" #name "At\n"                                \
    "_" #name ":\n"                                                    \
    "  pushl %ebp\n  movl %esp, %ebp\n"                                \
    "  movl 4(%ebp), %eax\n  movl %eax, _cgLastReturn\n"               \
    "  xorl %ecx, %ecx\n  movl $1, %eax\n  cltd\n"                     \
    "_" #name "At:\n  " body "\n"                                      \
    "  popl %ebp\n  ret\n"

asm(".text\n"
    CG_FAULT(cgFaultRead, "movl 0, %eax")
    CG_FAULT(cgFaultWrite, "movl $1, 0x10")
    CG_FAULT(cgFaultDivide, "idivl %ecx")
    CG_FAULT(cgFaultInt3, "int3")
    CG_FAULT(cgFaultIllegal, "ud2")
    ".data\n.globl _cgLastReturn\n_cgLastReturn:\n  .long 0\n.text\n");

// Calls the thread start wrapper (stdcall, one argument) as the system's
// thread start does, with a known value in ESI, a register its callers
// expect back unchanged; returns what ESI holds afterwards.
asm(".text\n.globl _cgCallWrapperKeepingEsi\n"
    "_cgCallWrapperKeepingEsi:\n"
    "  pushl %ebp\n  movl %esp, %ebp\n  pushl %esi\n"
    "  movl $0x5A5A1234, %esi\n"
    "  pushl 12(%ebp)\n  call *8(%ebp)\n"
    "  movl %esi, %eax\n"
    "  popl %esi\n  popl %ebp\n  ret\n");

extern "C" {
void cgFaultRead();
void cgFaultWrite();
void cgFaultDivide();
void cgFaultInt3();
void cgFaultIllegal();
extern char cgFaultReadAt[], cgFaultWriteAt[], cgFaultDivideAt[], cgFaultInt3At[],
    cgFaultIllegalAt[];
extern unsigned cgLastReturn;
unsigned cgCallWrapperKeepingEsi(unsigned wrapper, void* block);
}

namespace {

unsigned g_faultAt = 0;

void writeOut(const char* text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(std::strlen(text)),
              &written, nullptr);
}

int captureCrash(const char* text, int, int, int, int, int, int, int, int, int) {
    char line[96];
    std::snprintf(line, sizeof line, "at=%08X ret=%08X base=%08X\n", g_faultAt, cgLastReturn,
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr))));
    writeOut(line);
    writeOut(text);
    return 0;
}

// A callback that itself faults: the fatal guard must end the process
// (exit code 0) without calling it again.
int faultingCallback(const char*, int, int, int, int, int, int, int, int, int) {
    writeOut("callback\n");
    cgFaultRead();
    return 0;
}

void runFault(void (*fault)(), char* at) {
    g_faultAt = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(at));
    fault();
}

volatile int g_depthLimit = 1 << 30;  // never reached: the stack ends first

__attribute__((noinline, noclone)) int overflow(int depth) {
    volatile char block[4096];
    block[0] = static_cast<char>(depth);
    return depth < g_depthLimit ? overflow(depth + 1) + block[0] : 0;
}

volatile int g_afterFault = 0;

__attribute__((noinline, noclone)) void trayHandler() {
    pushCallFrame("事件_托盘", 0);
    runFault(cgFaultRead, cgFaultReadAt);
    g_afterFault = 1;  // a real call, not a jump that would reuse this frame
}

DWORD WINAPI crashingThread(void*) {
    runFault(cgFaultWrite, cgFaultWriteAt);
    return 5;
}

// Reports whether it runs behind the crash guard's record, and echoes its
// parameter + 1 as exit code.
volatile int g_guarded = -1;
DWORD WINAPI echoThread(void* parameter) {
    ExceptionRegistration* head = frameChainHead();
    g_guarded = head && head->handler == reinterpret_cast<void*>(&guardFrameHandler);
    return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(parameter)) + 1;
}

DWORD runEcho(HANDLE process, std::uintptr_t parameter) {
    g_guarded = -1;
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, echoThread,
                                       reinterpret_cast<void*>(parameter), 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    return code;
}

void reportThreadsAndKeys() {
    char line[160];
    DWORD own = runEcho(GetCurrentProcess(), 41);
    std::snprintf(line, sizeof line, "own: guarded=%d exit=%lu\n", g_guarded, own);
    writeOut(line);
    // A real handle of this process is not the pseudo-handle: passed through.
    HANDLE real = OpenProcess(PROCESS_ALL_ACCESS, FALSE, GetCurrentProcessId());
    DWORD other = runEcho(real, 9);
    CloseHandle(real);
    std::snprintf(line, sizeof line, "other: guarded=%d exit=%lu\n", g_guarded, other);
    writeOut(line);
    char key[64];
    std::snprintf(key, sizeof key, "_SEH.EntryCatchInstall_%lu",
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr))));
    char name[64], value[64] = "";
    std::snprintf(name, sizeof name, "__processStrMap_%lu", GetCurrentProcessId());
    GetEnvironmentVariableA(name, value, sizeof value);
    std::snprintf(line, sizeof line, "install=%d hook=%d registry=%d again=%d\n",
                  static_cast<int>(processStrMap().get(key)),
                  static_cast<int>(processStrMap().get("_SEH.createThread.hook")),
                  std::strtoul(value, nullptr, 10) == reinterpret_cast<std::uintptr_t>(&processStrMap()),
                  installCrashGuard() ? 1 : 0);
    writeOut(line);
}

DWORD WINAPI watchdog(void*) {
    Sleep(5000);
    ExitProcess(3);  // the main thread's crash did not end the process
}

bool is(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* scenario = argv[1];
    installCrashGuard();
    EntryGuard guard;
    CrashGuardOptions& o = crashGuardOptions();
    if (!is(scenario, "default")) {
        o.reportEnabled = 1;
        o.showMessageBox = 0;
        o.crashCallback = captureCrash;
    }
    if (is(scenario, "default") || is(scenario, "read")) runFault(cgFaultRead, cgFaultReadAt);
    if (is(scenario, "write")) runFault(cgFaultWrite, cgFaultWriteAt);
    if (is(scenario, "divide")) runFault(cgFaultDivide, cgFaultDivideAt);
    if (is(scenario, "int3")) runFault(cgFaultInt3, cgFaultInt3At);
    if (is(scenario, "illegal")) runFault(cgFaultIllegal, cgFaultIllegalAt);
    if (is(scenario, "overflow")) return overflow(0);
    if (is(scenario, "tray")) trayHandler();
    if (is(scenario, "custom") || is(scenario, "msvc") || is(scenario, "msvc-ignored")) {
        o.ignoreMsvcThrow = is(scenario, "msvc-ignored") ? 1 : 0;
        ULONG_PTR params[3] = {0x11, 0x22, 0x33};
        RaiseException(is(scenario, "custom") ? 0xE0000001 : 0xE06D7363, 0, 3, params);
    }
    if (is(scenario, "main-only")) {
        o.exitFaultingThreadOnly = 1;
        CloseHandle(CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr));
        runFault(cgFaultRead, cgFaultReadAt);
    }
    if (is(scenario, "fatal")) {
        o.crashCallback = faultingCallback;
        runFault(cgFaultDivide, cgFaultDivideAt);
    }
    if (is(scenario, "threads")) {
        reportThreadsAndKeys();
        return 0;
    }
    if (is(scenario, "box")) {
        // The only crash path that shows the report in a box: owned by this
        // thread's window of the class the options name.
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QernoCrashOwner";
        RegisterClassW(&wc);
        CreateWindowExW(0, wc.lpszClassName, L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                        nullptr, nullptr, wc.hInstance, nullptr);
        o.crashCallback = nullptr;
        o.showMessageBox = 1;
        std::strcpy(o.ownerWindowClass, "QernoCrashOwner");
        runFault(cgFaultRead, cgFaultReadAt);
    }
    if (is(scenario, "esi")) {
        auto* block = static_cast<StartBlock*>(GlobalAlloc(0, sizeof(StartBlock)));  // onThreadExit frees it
        block->startRoutine = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&echoThread));
        block->parameter = 41;
        char line[32];
        std::snprintf(line, sizeof line, "esi=%08X\n", cgCallWrapperKeepingEsi(threadStartWrapper(), block));
        writeOut(line);
        return 0;
    }
    if (is(scenario, "thread-only")) {
        o.exitFaultingThreadOnly = 1;
        HANDLE thread = CreateThread(nullptr, 0, crashingThread, nullptr, 0, nullptr);
        WaitForSingleObject(thread, INFINITE);
        DWORD code = 99;
        GetExitCodeThread(thread, &code);
        char line[64];
        std::snprintf(line, sizeof line, "main alive, thread exit %lu\n", code);
        writeOut(line);
        return 7;
    }
    return 1;  // the fault did not end the process
}
