#include "monitor/probe.h"

#include <cstring>

#include "runtime/resolve.h"

namespace {

constexpr uint32_t kInaddrNone = 0xFFFFFFFFu;
constexpr uint32_t kDefaultTimeoutMs = 500;

}  // namespace

IcmpEchoHandle& ProbeSession::handle() {
    if (!icmp_.valid()) icmp_ = IcmpEchoHandle::open();
    return icmp_;
}

void ProbeSession::startNetworkingOnce() {
    if (networking_) return;
    startNetworking();
    networking_ = true;
}

Text ProbeSession::resolve(const Text& target) {
    if (resolved_.empty() || target != resolved_) resolved_ = resolveHost(target);
    return resolved_;
}

int32_t ProbeHost(Text& target, const Text& data, EchoReplyRecord& reply, int32_t timeout,
                  bool timeoutGiven) {
    ProbeSession once;
    return ProbeHost(target, data, reply, timeout, timeoutGiven, once);
}

int32_t ProbeHost(Text& target, const Text& data, EchoReplyRecord& reply, int32_t timeout,
                  bool timeoutGiven, ProbeSession& session) {
    session.startNetworkingOnce();
    Text dotted = session.resolve(target);
    if (dotted.empty()) return -1;
    target = dotted;
    uint32_t address = ipv4FromText(dotted);
    if (address == kInaddrNone) return -1;
    uint32_t wait = timeoutGiven && timeout > 0 ? static_cast<uint32_t>(timeout) : kDefaultTimeoutMs;

    IcmpEchoHandle& icmp = session.handle();
    if (!icmp.valid()) return -1;
    // The platform works on a copy, so fields it does not write keep the
    // caller's values and the caller's record never sees a half-written echo.
    unsigned char buffer[kEchoReplyBufferSize];
    std::memcpy(buffer, &reply, sizeof buffer);
    icmp.echo(address, data.c_str(), static_cast<uint16_t>(data.size()), buffer, sizeof buffer, wait);
    std::memcpy(&reply, buffer, sizeof buffer);
    return static_cast<int32_t>(reply.reply.status);
}
