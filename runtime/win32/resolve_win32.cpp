#include "runtime/resolve.h"

#include <winsock2.h>

#include <mutex>

#include "runtime/win32/platform_calls.h"

void startNetworking() {
    WSADATA data;
    platform::wsaStartup.get()(MAKEWORD(2, 0), &data);
}

// gethostbyname and inet_ntoa return per-thread storage in Winsock, so
// threads never see each other's results; the text is copied out at once,
// before the next call on this thread can overwrite it.
Text resolveHost(const Text& name) {
    static std::once_flag started;
    std::call_once(started, [] {
        WSADATA data;
        platform::wsaStartup.get()(MAKEWORD(1, 1), &data);
    });
    auto* host = static_cast<hostent*>(platform::getHostByName.get()(name.c_str()));
    if (!host || host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0])
        return Text();
    DWORD address;
    memcpy(&address, host->h_addr_list[0], sizeof address);
    const char* dotted = platform::inetNtoa.get()(address);
    return dotted ? Text(dotted) : Text();
}

uint32_t ipv4FromText(const Text& dotted) { return platform::inetAddr.get()(dotted.c_str()); }
