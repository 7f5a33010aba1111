// Late-bound system calls: functions of libraries the program does not link
// against (ICMP.DLL among them) are named by (library, function) and found
// on their first use, then cached for the rest of the run.
//
// A function name "#n" means the export with ordinal n. An entry without a
// library is looked up in Kernel32, Gdi32, User32, Advapi32, Mpr and Shell32,
// in that order. A library name without a colon is loaded from the system
// folder only (never from beside the executable); a name with a colon is
// loaded as given. A library or
// export that cannot be found is a runtime error; it never returns to the
// caller. Libraries stay loaded until releasePlatformLibraries().
//
// Any thread may resolve a call; concurrent first uses resolve once.
// Windows only.
#pragma once

#include <windows.h>

#include <atomic>

class PlatformCallEntry {
public:
    constexpr PlatformCallEntry(const char* library, const char* function)
        : library_(library), function_(function) {}
    PlatformCallEntry(const PlatformCallEntry&) = delete;
    PlatformCallEntry& operator=(const PlatformCallEntry&) = delete;

    FARPROC address();  // never null: a missing export raises a runtime error
    const char* library() const { return library_; }
    const char* function() const { return function_; }

private:
    const char* library_;  // nullptr or "": the search list above
    const char* function_;
    std::atomic<FARPROC> cached_{nullptr};
};

// A typed entry: platformCall.get()(args...).
template <typename Fn>
class PlatformCall {
public:
    constexpr PlatformCall(const char* library, const char* function) : entry_(library, function) {}
    Fn get() { return reinterpret_cast<Fn>(reinterpret_cast<void*>(entry_.address())); }

private:
    PlatformCallEntry entry_;
};

// Frees every library loaded for these calls (the end of the program).
// No call may be resolved or running afterwards.
void releasePlatformLibraries();

// The table of the program's late-bound calls. The ICMP and Winsock
// functions below serve the echo probe and name resolution.
namespace platform {

struct IcmpOptionInformation;  // IP_OPTION_INFORMATION; the program passes none

using IcmpCreateFileFn = HANDLE(WINAPI*)();
using IcmpCloseHandleFn = BOOL(WINAPI*)(HANDLE);
using IcmpSendEchoFn = DWORD(WINAPI*)(HANDLE icmp, DWORD destination, void* requestData,
                                      WORD requestSize, IcmpOptionInformation* options,
                                      void* replyBuffer, DWORD replySize, DWORD timeout);
using WsaStartupFn = int(WINAPI*)(WORD version, void* wsaData);
using GetHostByNameFn = void*(WINAPI*)(const char* name);  // struct hostent*
using InetNtoaFn = char*(WINAPI*)(DWORD inAddr);           // struct in_addr by value
using InetAddrFn = DWORD(WINAPI*)(const char* text);

extern PlatformCall<IcmpCreateFileFn> icmpCreateFile;
extern PlatformCall<IcmpCloseHandleFn> icmpCloseHandle;
extern PlatformCall<IcmpSendEchoFn> icmpSendEcho;
extern PlatformCall<WsaStartupFn> wsaStartup;
extern PlatformCall<GetHostByNameFn> getHostByName;
extern PlatformCall<InetNtoaFn> inetNtoa;
extern PlatformCall<InetAddrFn> inetAddr;

}  // namespace platform
