// Echo on an ICMP socket. Datagram ICMP ("ping sockets") is used when the
// system permits it (net.ipv4.ping_group_range): the kernel picks the
// identifier and hands each socket only its own replies and errors. Otherwise
// a raw socket, which by itself receives every ICMP packet of the host: each
// one gets a classic BPF program that accepts only echo replies and ICMP
// errors carrying its identifier, or 2,000 probing threads would wake for
// every reply of every other (millions of wake-ups a second).
#include "runtime/icmp_echo.h"

#include <arpa/inet.h>
#include <errno.h>
#include <linux/errqueue.h>
#include <linux/filter.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <random>

#include "runtime/ip_status.h"

namespace {

using Clock = std::chrono::steady_clock;

// Identifiers of raw sockets: a per-process random start, then one per
// handle, so handles open at the same time in this process never share one.
uint16_t nextIdentifier() {
    static std::atomic<uint32_t> next{std::random_device{}()};
    return static_cast<uint16_t>(next.fetch_add(1, std::memory_order_relaxed));
}

uint16_t nextSequence() {
    static std::atomic<uint32_t> next{1};
    return static_cast<uint16_t>(next.fetch_add(1, std::memory_order_relaxed));
}

uint16_t checksum(const unsigned char* p, size_t n) {
    uint32_t sum = 0;
    for (; n > 1; p += 2, n -= 2) sum += static_cast<uint32_t>(p[0] << 8 | p[1]);
    if (n) sum += static_cast<uint32_t>(p[0] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return htons(static_cast<uint16_t>(~sum));
}

// Accept: echo replies (type 0) with our identifier, and ICMP errors
// (3 unreachable, 4 source quench, 11 time exceeded, 12 parameter problem)
// whose quoted request carries it. The quoted request sits after the error's
// 8-byte header and the quoted IP header, 20 bytes for the requests we send.
bool attachIdentifierFilter(int fd, uint16_t id) {
    sock_filter code[] = {
        BPF_STMT(BPF_LDX | BPF_B | BPF_MSH, 0),                 // X = IP header length
        BPF_STMT(BPF_LD | BPF_B | BPF_IND, 0),                  // A = ICMP type
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ICMP_ECHOREPLY, 0, 2),
        BPF_STMT(BPF_LD | BPF_H | BPF_IND, 4),                  // A = identifier
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, id, 6, 7),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ICMP_DEST_UNREACH, 3, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ICMP_SOURCE_QUENCH, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ICMP_TIME_EXCEEDED, 1, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ICMP_PARAMETERPROB, 0, 3),
        BPF_STMT(BPF_LD | BPF_H | BPF_IND, 8 + 20 + 4),         // A = quoted identifier
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, id, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, 0xFFFF),                      // accept
        BPF_STMT(BPF_RET | BPF_K, 0),                           // drop
    };
    // The jump of instruction 4 lands on accept (11) or drop (12).
    sock_fprog program{static_cast<unsigned short>(sizeof code / sizeof code[0]), code};
    return setsockopt(fd, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program) == 0;
}

int32_t statusOfError(int type, int code) {
    switch (type) {
        case ICMP_DEST_UNREACH:
            switch (code) {
                case ICMP_NET_UNREACH: case ICMP_NET_UNKNOWN: case ICMP_NET_ANO:
                case ICMP_NET_UNR_TOS: return ipDestNetUnreachable;
                case ICMP_PROT_UNREACH: return ipDestProtUnreachable;
                case ICMP_PORT_UNREACH: return ipDestPortUnreachable;
                case ICMP_FRAG_NEEDED: return ipPacketTooBig;
                default: return ipDestHostUnreachable;
            }
        case ICMP_TIME_EXCEEDED:
            return code == ICMP_EXC_FRAGTIME ? ipTtlExpiredReassem : ipTtlExpiredTransit;
        case ICMP_PARAMETERPROB: return ipParamProblem;
        case ICMP_SOURCE_QUENCH: return ipSourceQuench;
        default: return ipGeneralFailure;
    }
}

int32_t statusOfSendError(int error) {
    switch (error) {
        case ENETUNREACH: return ipDestNetUnreachable;
        case EHOSTUNREACH: return ipDestHostUnreachable;
        case EMSGSIZE: return ipPacketTooBig;
        case ENOBUFS:
        case ENOMEM: return ipNoResources;
        default: return ipGeneralFailure;
    }
}

// What one received packet means for the request in flight.
struct Outcome {
    bool ours = false;
    int32_t status = ipSuccess;
    uint32_t from = 0;
    uint8_t ttl = 0, tos = 0;
    const unsigned char* data = nullptr;
    size_t dataSize = 0;
};

struct Request {
    uint32_t address;
    uint16_t identifier;  // ignored for datagram sockets: the kernel owns it
    uint16_t sequence;
};

// Raw socket packet: IP header, ICMP header, then data or the quoted request.
Outcome parseRaw(const unsigned char* p, size_t n, const Request& req) {
    Outcome out;
    if (n < 20) return out;
    size_t ihl = (p[0] & 0x0F) * 4u;
    if (n < ihl + 8) return out;
    const unsigned char* icmp = p + ihl;
    uint32_t from;
    std::memcpy(&from, p + 12, 4);
    uint16_t id, seq;
    if (icmp[0] == ICMP_ECHOREPLY) {
        std::memcpy(&id, icmp + 4, 2);
        std::memcpy(&seq, icmp + 6, 2);
        if (ntohs(id) != req.identifier || ntohs(seq) != req.sequence || from != req.address) return out;
        out = Outcome{true, ipSuccess, from, p[8], p[1], icmp + 8, n - ihl - 8};
        return out;
    }
    const unsigned char* quoted = icmp + 8;  // the request's IP header
    if (n < ihl + 8 + 20) return out;
    size_t qihl = (quoted[0] & 0x0F) * 4u;
    if (n < ihl + 8 + qihl + 8) return out;
    const unsigned char* qicmp = quoted + qihl;
    uint32_t quotedDst;
    std::memcpy(&quotedDst, quoted + 16, 4);
    std::memcpy(&id, qicmp + 4, 2);
    std::memcpy(&seq, qicmp + 6, 2);
    if (qicmp[0] != ICMP_ECHO || quotedDst != req.address || ntohs(id) != req.identifier ||
        ntohs(seq) != req.sequence)
        return out;
    out = Outcome{true, statusOfError(icmp[0], icmp[1]), from, p[8], p[1], nullptr, 0};
    return out;
}

// Datagram socket packet: the ICMP header and data, no IP header.
Outcome parseDatagram(const unsigned char* p, size_t n, uint32_t from, const Request& req) {
    Outcome out;
    if (n < 8 || p[0] != ICMP_ECHOREPLY) return out;
    uint16_t seq;
    std::memcpy(&seq, p + 6, 2);
    if (ntohs(seq) != req.sequence || from != req.address) return out;
    out = Outcome{true, ipSuccess, from, 0, 0, p + 8, n - 8};
    return out;
}

// A datagram socket's ICMP errors arrive on its error queue.
Outcome readErrorQueue(int fd, const Request& req) {
    Outcome out;
    unsigned char packet[576];
    unsigned char control[512];
    sockaddr_in from{};
    iovec iov{packet, sizeof packet};
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t n = recvmsg(fd, &msg, MSG_ERRQUEUE | MSG_DONTWAIT);
    if (n < 8) return out;
    uint16_t seq;
    std::memcpy(&seq, packet + 6, 2);  // the request we sent
    if (ntohs(seq) != req.sequence || from.sin_addr.s_addr != req.address) return out;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level != SOL_IP || c->cmsg_type != IP_RECVERR) continue;
        auto* ee = reinterpret_cast<sock_extended_err*>(CMSG_DATA(c));
        if (ee->ee_origin != SO_EE_ORIGIN_ICMP) continue;
        auto* offender = reinterpret_cast<sockaddr_in*>(SO_EE_OFFENDER(ee));
        out = Outcome{true, statusOfError(ee->ee_type, ee->ee_code), offender->sin_addr.s_addr,
                      0, 0, nullptr, 0};
    }
    return out;
}

void writeReply(void* buffer, uint32_t bufferSize, const Outcome& o, uint32_t rtt) {
    IcmpEchoReply reply;
    if (bufferSize < sizeof reply) return;
    std::memcpy(&reply, buffer, sizeof reply);
    reply.address = o.from;
    reply.status = static_cast<uint32_t>(o.status);
    reply.roundTripTime = rtt;
    size_t room = bufferSize - sizeof reply;
    size_t copied = std::min(room, o.dataSize);
    reply.dataSize = static_cast<uint16_t>(copied);
    reply.ttl = o.ttl;
    reply.tos = o.tos;
    std::memcpy(buffer, &reply, sizeof reply);
    if (copied) std::memcpy(static_cast<unsigned char*>(buffer) + sizeof reply, o.data, copied);
}

int openDatagram() {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) return -1;
    int on = 1;
    setsockopt(fd, SOL_IP, IP_RECVERR, &on, sizeof on);
    return fd;
}

}  // namespace

IcmpEchoHandle IcmpEchoHandle::open() {
    IcmpEchoHandle h;
    h.fd_ = openDatagram();
    if (h.fd_ >= 0) return h;
    h.fd_ = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (h.fd_ < 0) return h;
    h.raw_ = true;
    h.identifier_ = nextIdentifier();
    if (!attachIdentifierFilter(h.fd_, h.identifier_)) {
        h.close();
        return h;
    }
    // Whatever arrived before the filter was attached is someone else's;
    // left queued, a burst of it can fill the buffer and drop our reply.
    unsigned char discard[64];
    while (recv(h.fd_, discard, sizeof discard, MSG_DONTWAIT) >= 0) {}
    return h;
}

IcmpEchoHandle::IcmpEchoHandle(IcmpEchoHandle&& o) noexcept
    : fd_(o.fd_), raw_(o.raw_), identifier_(o.identifier_) {
    o.fd_ = -1;
}

IcmpEchoHandle& IcmpEchoHandle::operator=(IcmpEchoHandle&& o) noexcept {
    if (this != &o) {
        close();
        fd_ = o.fd_, raw_ = o.raw_, identifier_ = o.identifier_;
        o.fd_ = -1;
    }
    return *this;
}

bool IcmpEchoHandle::valid() const { return fd_ >= 0; }

void IcmpEchoHandle::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void IcmpEchoHandle::echo(uint32_t address, const void* data, uint16_t size, void* buffer,
                          uint32_t bufferSize, uint32_t timeoutMs) {
    if (!valid()) return;
    Request req{address, identifier_, nextSequence()};
    // Small buffers: a monitor thread runs on a small stack. Requests carry
    // at most one Ethernet payload of data; larger replies are cut when read.
    unsigned char packet[8 + 1472];
    size = std::min<uint16_t>(size, sizeof packet - 8);
    packet[0] = ICMP_ECHO;
    packet[1] = 0;
    uint16_t zero = 0, id = htons(req.identifier), seq = htons(req.sequence);
    std::memcpy(packet + 2, &zero, 2);
    std::memcpy(packet + 4, &id, 2);
    std::memcpy(packet + 6, &seq, 2);
    if (size) std::memcpy(packet + 8, data, size);
    uint16_t sum = checksum(packet, 8u + size);  // the kernel refills it on datagram sockets
    std::memcpy(packet + 2, &sum, 2);

    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    const Clock::time_point sent = Clock::now();
    if (sendto(fd_, packet, 8u + size, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) {
        writeEchoFailure(buffer, bufferSize, statusOfSendError(errno));
        return;
    }
    const Clock::time_point deadline = sent + std::chrono::milliseconds(timeoutMs);
    unsigned char in[1600];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) break;
        pollfd pfd{fd_, POLLIN, 0};
        // Round up so a wait never ends a fraction of a millisecond early.
        int ready = poll(&pfd, 1, static_cast<int>(left.count()) + 1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        Outcome o;
        if (pfd.revents & POLLERR) {
            o = readErrorQueue(fd_, req);
        } else {
            sockaddr_in from{};
            socklen_t fromLen = sizeof from;
            ssize_t n = recvfrom(fd_, in, sizeof in, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from),
                                 &fromLen);
            if (n < 0) continue;
            o = raw_ ? parseRaw(in, static_cast<size_t>(n), req)
                     : parseDatagram(in, static_cast<size_t>(n), from.sin_addr.s_addr, req);
        }
        if (!o.ours) continue;
        auto rtt = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent);
        writeReply(buffer, bufferSize, o, static_cast<uint32_t>(rtt.count()));
        return;
    }
    writeEchoFailure(buffer, bufferSize, ipReqTimedOut);
}
