// Name resolution for the echo probe. Any thread may call these at any time;
// results are copied out at once, so concurrent callers never share them.
#pragma once

#include <cstdint>

#include "runtime/text.h"

// Windows: WSAStartup(2.0) on every call, never torn down (the probe starts
// Winsock this way each time). Elsewhere nothing to do.
void startNetworking();

// The dotted text of the first IPv4 address of a host name or dotted address;
// empty when it does not resolve. Windows starts Winsock 1.1 once per process.
Text resolveHost(const Text& name);

// Dotted text -> IPv4 address in network byte order; 0xFFFFFFFF (INADDR_NONE,
// also 255.255.255.255) for text it cannot read.
uint32_t ipv4FromText(const Text& dotted);
