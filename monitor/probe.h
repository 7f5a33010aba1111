// The ICMP echo probe of one host. A monitor task calls it once per cycle
// from its own thread; calls share nothing, so any number may run at once.
#pragma once

#include <cstdint>

#include "runtime/icmp_echo.h"
#include "runtime/text.h"

// The caller's reply record: the platform's ICMP_ECHO_REPLY followed by
// room for 255 bytes of echoed data (283 bytes handed to the platform).
struct EchoReplyRecord {
    IcmpEchoReply reply;
    unsigned char data[255];
};
constexpr uint32_t kEchoReplyBufferSize = sizeof(IcmpEchoReply) + 255;

// What a monitor task keeps from one probe to the next, so that a cycle
// repeats only the echo itself: the ICMP handle (opened by the first probe
// that needs one), Winsock started once, and the dotted text the target last
// resolved to (a target equal to it is that address, with no lookup). Each
// probe still sends exactly one request with its own data and timeout; a
// late reply to an earlier request is told apart by its sequence number.
// Belongs to one thread at a time, like the handle it holds.
class ProbeSession {
public:
    IcmpEchoHandle& handle();         // valid() false when none can be opened
    void startNetworkingOnce();
    // The dotted address of target: without a lookup when target is the text
    // the last lookup gave. Empty when it does not resolve.
    Text resolve(const Text& target);

private:
    IcmpEchoHandle icmp_;
    bool networking_ = false;
    Text resolved_;
};

// One echo request to target (a dotted IPv4 address or a host name) with
// the bytes of data. On resolution, target becomes the dotted address, so
// later calls need no lookup. Returns the reply's Status (0: a reply; the
// round-trip time is reply.reply.roundTripTime), or -1 when nothing was sent
// (unresolvable target, 255.255.255.255, no ICMP handle) with reply untouched.
// The wait is timeout ms when timeoutGiven and timeout > 0, else 500 ms.
int32_t ProbeHost(Text& target, const Text& data, EchoReplyRecord& reply, int32_t timeout,
                  bool timeoutGiven);
// The same with what the session keeps: the results are those of the call
// above; only the repeated start-up, lookup and handle opening are saved.
int32_t ProbeHost(Text& target, const Text& data, EchoReplyRecord& reply, int32_t timeout,
                  bool timeoutGiven, ProbeSession& session);
