#include "runtime/resolve.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

void startNetworking() {}

// getaddrinfo is thread-safe (gethostbyname is not), and its result is the
// caller's own: the text is copied out before it is freed.
Text resolveHost(const Text& name) {
    if (name.empty()) return Text();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_RAW;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return Text();
    char dotted[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    const char* ok = inet_ntop(AF_INET, &in->sin_addr, dotted, sizeof dotted);
    freeaddrinfo(found);
    return ok ? Text(dotted) : Text();
}

uint32_t ipv4FromText(const Text& dotted) { return inet_addr(dotted.c_str()); }
