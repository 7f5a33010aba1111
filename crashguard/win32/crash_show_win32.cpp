#include "crashguard/win32/crash_show.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "crashguard/win32/registry.h"

namespace {

struct ShowScratch {
    char text[32768];
    wchar_t wide[32768];
    wchar_t ownerClass[256];
    wchar_t className[256];
};

// Either calling convention: ESI keeps the stack pointer across the call,
// so a callee that pops its arguments and one that leaves them both work.
int callCrashCallback(CrashCallback callback, const char* text) {
    int result;
    asm volatile(
        "movl %%esp, %%esi\n\t"
        "pushl $0\n\tpushl $0\n\tpushl $0\n\tpushl $0\n\tpushl $0\n\t"
        "pushl $0\n\tpushl $0\n\tpushl $0\n\tpushl $0\n\t"
        "pushl %2\n\t"
        "call *%1\n\t"
        "movl %%esi, %%esp"
        : "=a"(result)
        : "b"(callback), "D"(text)
        : "ecx", "edx", "esi", "memory", "cc");
    return result;
}

HWND ownerWindow(const wchar_t* className, wchar_t* buffer) {
    DWORD self = GetCurrentThreadId();
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (GetWindowThreadProcessId(w, nullptr) != self) continue;
        if (GetClassNameW(w, buffer, 256) > 0 && std::wcscmp(buffer, className) == 0) return w;
    }
    return nullptr;
}

void toWide(const char* gbk, wchar_t* out, int capacity) {
    if (MultiByteToWideChar(936, 0, gbk, -1, out, capacity) == 0) out[0] = L'\0';
}

}  // namespace

void showCrash() {
    const CrashGuardOptions& o = crashGuardOptions();
    auto* s = static_cast<ShowScratch*>(
        VirtualAlloc(nullptr, sizeof(ShowScratch), MEM_COMMIT, PAGE_READWRITE));
    if (!s) RaiseException(STATUS_NO_MEMORY, EXCEPTION_NONCONTINUABLE, 0, nullptr);  // fatal guard
    TextSink text(s->text, sizeof s->text);
    threadContext().composeFullText(o.includeCallStack != 0, text);
    if (o.crashCallback) callCrashCallback(o.crashCallback, text.c_str());
    if (o.showMessageBox == 1) {
        toWide(o.ownerWindowClass, s->ownerClass, 256);
        HWND owner = ownerWindow(s->ownerClass, s->className);
        toWide(text.c_str(), s->wide, 32768);
        MessageBoxW(owner, s->wide, L"程序异常：", MB_ICONERROR);
    }
    VirtualFree(s, 0, MEM_RELEASE);
}

unsigned long mainEntryPoint() {
    auto* base = reinterpret_cast<const std::uint8_t*>(GetModuleHandleW(nullptr));
    if (!base || IsBadReadPtr(base, 64)) return 0;
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    if (IsBadReadPtr(nt, sizeof *nt) || nt->Signature != IMAGE_NT_SIGNATURE) return 0;
    DWORD entry = nt->OptionalHeader.AddressOfEntryPoint;
    return entry ? static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(base) + entry) : 0;
}

void exitAfterCrash() {
    using QueryThread = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    constexpr int kThreadQuerySetWin32StartAddress = 9;
    std::uintptr_t start = 0;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto query = ntdll ? reinterpret_cast<QueryThread>(
                             reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationThread")))
                       : nullptr;
    if (query) query(GetCurrentThread(), kThreadQuerySetWin32StartAddress, &start, 4, nullptr);
    if (start != 0 && start == mainEntryPoint()) ExitProcess(0);
    ExitThread(0);
}
