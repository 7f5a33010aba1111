#include "runtime/icmp_echo.h"

#include <windows.h>
#include <ipexport.h>

#include <cstring>
#include <vector>

#include "runtime/ip_status.h"
#include "runtime/win32/platform_calls.h"

IcmpEchoHandle IcmpEchoHandle::open() {
    IcmpEchoHandle h;
    HANDLE handle = platform::icmpCreateFile.get()();
    if (handle != INVALID_HANDLE_VALUE) h.handle_ = handle;
    return h;
}

IcmpEchoHandle::IcmpEchoHandle(IcmpEchoHandle&& o) noexcept : handle_(o.handle_) {
    o.handle_ = nullptr;
}

IcmpEchoHandle& IcmpEchoHandle::operator=(IcmpEchoHandle&& o) noexcept {
    if (this != &o) {
        close();
        handle_ = o.handle_;
        o.handle_ = nullptr;
    }
    return *this;
}

bool IcmpEchoHandle::valid() const { return handle_ != nullptr; }

void IcmpEchoHandle::close() {
    if (handle_) platform::icmpCloseHandle.get()(handle_);
    handle_ = nullptr;
}

namespace {

// The IP_STATUS codes, which IcmpSendEcho also leaves as its last error.
constexpr DWORD kFirstIpStatus = 11000;
constexpr DWORD kLastIpStatus = 11050;

// IcmpSendEcho answers "no reply" with the reason as its last error. An
// IP_STATUS there is the outcome it also wrote into the record (a timeout,
// an unreachable host). Any other error means it sent nothing or stopped
// waiting and wrote nothing: Wine refuses echoes with ERROR_NOT_ENOUGH_MEMORY
// once a few hundred are in flight. The record would then keep the previous
// cycle's values, "网络可通" included, for a host nobody heard from; the
// failure is written instead, as the POSIX half writes a failed send.
void noteSendFailure(void* buffer, uint32_t bufferSize, DWORD replies, DWORD error) {
    if (replies != 0 || (error >= kFirstIpStatus && error <= kLastIpStatus)) return;
    const bool noResources = error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY ||
                             error == ERROR_NO_SYSTEM_RESOURCES;
    writeEchoFailure(buffer, bufferSize, noResources ? ipNoResources : ipGeneralFailure);
}

}  // namespace

#ifndef _WIN64
// The library writes the ICMP_ECHO_REPLY and the echoed data straight into
// the caller's buffer; only a failure it wrote nothing for is written after.
void IcmpEchoHandle::echo(uint32_t address, const void* data, uint16_t size, void* buffer,
                          uint32_t bufferSize, uint32_t timeoutMs) {
    if (!valid() || bufferSize < sizeof(IcmpEchoReply)) return;
    SetLastError(ERROR_SUCCESS);
    const DWORD replies = platform::icmpSendEcho.get()(handle_, address, const_cast<void*>(data), size,
                                                       nullptr, buffer, bufferSize, timeoutMs);
    noteSendFailure(buffer, bufferSize, replies, GetLastError());
}
#else
// The 64-bit stand-in build: there the library lays its record out with
// 8-byte pointers. It writes into a wide copy of the caller's record (so
// what it leaves alone keeps the caller's values), which is then put back
// in the 32-bit layout the rest of the program reads.
void IcmpEchoHandle::echo(uint32_t address, const void* data, uint16_t size, void* buffer,
                          uint32_t bufferSize, uint32_t timeoutMs) {
    if (!valid() || bufferSize < sizeof(IcmpEchoReply)) return;
    const uint32_t dataRoom = bufferSize - sizeof(IcmpEchoReply);
    std::vector<unsigned char> wide(sizeof(ICMP_ECHO_REPLY) + dataRoom);
    auto* narrow = static_cast<IcmpEchoReply*>(buffer);
    auto* unsignedBuffer = static_cast<unsigned char*>(buffer);
    auto* w = reinterpret_cast<ICMP_ECHO_REPLY*>(wide.data());
    unsigned char* wideData = wide.data() + sizeof(ICMP_ECHO_REPLY);
    w->Address = narrow->address;
    w->Status = narrow->status;
    w->RoundTripTime = narrow->roundTripTime;
    w->DataSize = narrow->dataSize;
    w->Reserved = narrow->reserved;
    w->Data = nullptr;
    w->Options = {narrow->ttl, narrow->tos, narrow->flags, narrow->optionsSize, nullptr};
    std::memcpy(wideData, unsignedBuffer + sizeof(IcmpEchoReply), dataRoom);
    SetLastError(ERROR_SUCCESS);
    const DWORD replies = platform::icmpSendEcho.get()(handle_, address, const_cast<void*>(data), size,
                                                       nullptr, wide.data(), static_cast<DWORD>(wide.size()),
                                                       timeoutMs);
    const DWORD error = GetLastError();
    narrow->address = w->Address;
    narrow->status = w->Status;
    narrow->roundTripTime = w->RoundTripTime;
    narrow->dataSize = w->DataSize;
    narrow->reserved = w->Reserved;
    narrow->ttl = w->Options.Ttl;
    narrow->tos = w->Options.Tos;
    narrow->flags = w->Options.Flags;
    narrow->optionsSize = w->Options.OptionsSize;
    const auto* echoed = static_cast<const unsigned char*>(w->Data);
    if (echoed >= wideData && echoed <= wideData + dataRoom) {
        const std::size_t offset = static_cast<std::size_t>(echoed - wideData);
        narrow->data = static_cast<uint32_t>(
            reinterpret_cast<std::uintptr_t>(unsignedBuffer + sizeof(IcmpEchoReply) + offset));
    }
    std::memcpy(unsignedBuffer + sizeof(IcmpEchoReply), wideData, dataRoom);
    noteSendFailure(buffer, bufferSize, replies, error);
}
#endif
