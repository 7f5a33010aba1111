// ICMP echo: one request, the first reply, reported in the IP_STATUS
// numbering (runtime/ip_status.h). Windows: ICMP.DLL through the platform-call
// table. POSIX: an ICMP socket of its own per handle, datagram where the
// system permits it, raw otherwise with a kernel filter on its identifier.
//
// Contract: a handle belongs to one thread at a time; any number of handles
// may echo at once from different threads and never see each other's replies.
#pragma once

#include <cstddef>
#include <cstdint>

// ICMP_ECHO_REPLY as the 32-bit Windows ICMP library lays it out. The two
// pointer fields are 32-bit addresses, meaningful only in the Windows build.
struct IcmpEchoReply {
    uint32_t address;        // the replying host, network byte order
    uint32_t status;         // IP_STATUS
    uint32_t roundTripTime;  // ms
    uint16_t dataSize;       // bytes of echoed data after the record
    uint16_t reserved;
    uint32_t data;
    uint8_t ttl;
    uint8_t tos;
    uint8_t flags;
    uint8_t optionsSize;
    uint32_t optionsData;
};
static_assert(sizeof(IcmpEchoReply) == 28, "the platform's published layout");

// For both platform halves: a failure without a reply, `status` with a zero
// round-trip time in the buffer's record; its other fields keep their values.
void writeEchoFailure(void* buffer, uint32_t bufferSize, int32_t status);

class IcmpEchoHandle {
public:
    // An invalid handle when none can be opened (no permission, no resources).
    static IcmpEchoHandle open();

    IcmpEchoHandle() = default;
    ~IcmpEchoHandle() { close(); }
    IcmpEchoHandle(IcmpEchoHandle&& other) noexcept;
    IcmpEchoHandle& operator=(IcmpEchoHandle&& other) noexcept;
    IcmpEchoHandle(const IcmpEchoHandle&) = delete;
    IcmpEchoHandle& operator=(const IcmpEchoHandle&) = delete;

    bool valid() const;
    void close();

    // Sends one request to address (IPv4, network byte order) carrying size
    // bytes of data, waits up to timeoutMs for the reply and writes it into
    // buffer: an IcmpEchoReply followed by the echoed data that fits in
    // bufferSize. Status 0 with the round-trip time for a reply; 11010 and a
    // zero time when none came in time; the unreachable codes with the time
    // of the error where one came back; an echo the system would not send or
    // wait for reads 11006 (no resources) or 11050 with a zero time, never as
    // the last cycle's outcome. Fields not written keep their values.
    void echo(uint32_t address, const void* data, uint16_t size, void* buffer,
              uint32_t bufferSize, uint32_t timeoutMs);

private:
#ifdef _WIN32
    void* handle_ = nullptr;  // INVALID_HANDLE_VALUE is mapped to nullptr
#else
    int fd_ = -1;
    bool raw_ = false;        // raw socket: we pick the identifier and see IP headers
    uint16_t identifier_ = 0;
#endif
};
