#include "runtime/win32/platform_calls.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "runtime/runtime_error.h"

namespace platform {

PlatformCall<IcmpCreateFileFn> icmpCreateFile("ICMP.DLL", "IcmpCreateFile");
PlatformCall<IcmpCloseHandleFn> icmpCloseHandle("ICMP.DLL", "IcmpCloseHandle");
PlatformCall<IcmpSendEchoFn> icmpSendEcho("ICMP.DLL", "IcmpSendEcho");
PlatformCall<WsaStartupFn> wsaStartup("ws2_32.dll", "WSAStartup");
PlatformCall<GetHostByNameFn> getHostByName("ws2_32.dll", "gethostbyname");
PlatformCall<InetNtoaFn> inetNtoa("ws2_32.dll", "inet_ntoa");
PlatformCall<InetAddrFn> inetAddr("ws2_32.dll", "inet_addr");

}  // namespace platform

namespace {

const char* const kDefaultLibraries[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                         "Advapi32.dll", "Mpr.dll", "Shell32.dll"};

// Guards resolution and the list of loaded libraries; resolution is rare
// (once per entry), so one lock for all of them costs nothing.
std::mutex& tableMutex() {
    static std::mutex m;
    return m;
}

std::vector<HMODULE>& loadedLibraries() {
    static std::vector<HMODULE> libs;
    return libs;
}

bool hasColon(const char* name) { return std::strchr(name, ':') != nullptr; }

// The system folder, with its trailing backslash; empty when unknown.
Text systemFolder() {
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return Text();
    return Text(path) + "\\";
}

// Every library of the table is a system library: it is loaded by its full
// path in the system folder, never found by the search order, which looks
// beside the executable first and would load a planted copy (a user's
// download folder, a shared program folder) in its place.
HMODULE loadLibrary(const char* name) {
    HMODULE module = nullptr;
    if (hasColon(name)) {
        module = LoadLibraryA(name);
    } else {
        const Text folder = systemFolder();
        if (!folder.empty()) module = LoadLibraryA((folder + name).c_str());
    }
    if (module) loadedLibraries().push_back(module);  // one reference per load, freed at the end
    return module;
}

FARPROC findExport(HMODULE module, const char* function) {
    if (function[0] == '#') {
        long ordinal = std::strtol(function + 1, nullptr, 10);
        return GetProcAddress(module, MAKEINTRESOURCEA(static_cast<WORD>(ordinal)));
    }
    return GetProcAddress(module, function);
}

FARPROC resolve(const char* library, const char* function) {
    if (library && library[0]) {
        HMODULE module = loadLibrary(library);
        return module ? findExport(module, function) : nullptr;
    }
    for (const char* name : kDefaultLibraries) {
        HMODULE module = loadLibrary(name);
        if (!module) continue;
        if (FARPROC address = findExport(module, function)) return address;
    }
    return nullptr;
}

[[noreturn]] void reportMissing(const char* library, const char* function) {
    Text message = (library && library[0])
                       ? Text("无法找到指定DLL库文件“") + library + "”中的输出命令“" + function + "”"
                       : Text("无法找到指定DLL库文件中的输出命令“") + function + "”";
    raiseRuntimeError(RuntimeError{0, message});
}

}  // namespace

FARPROC PlatformCallEntry::address() {
    FARPROC address = cached_.load(std::memory_order_acquire);
    if (address) return address;
    {
        std::lock_guard<std::mutex> lock(tableMutex());
        address = cached_.load(std::memory_order_relaxed);
        if (!address) {
            address = resolve(library_, function_);
            cached_.store(address, std::memory_order_release);
        }
    }
    if (!address) reportMissing(library_, function_);
    return address;
}

void releasePlatformLibraries() {
    std::lock_guard<std::mutex> lock(tableMutex());
    for (HMODULE module : loadedLibraries()) FreeLibrary(module);
    loadedLibraries().clear();
}
