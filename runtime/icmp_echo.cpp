#include "runtime/icmp_echo.h"

#include <cstring>

void writeEchoFailure(void* buffer, uint32_t bufferSize, int32_t status) {
    IcmpEchoReply reply;
    if (bufferSize < sizeof reply) return;
    std::memcpy(&reply, buffer, sizeof reply);  // the buffer need not be aligned
    reply.status = static_cast<uint32_t>(status);
    reply.roundTripTime = 0;
    std::memcpy(buffer, &reply, sizeof reply);
}
