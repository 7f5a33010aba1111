#include "runtime/icmp_echo.h"

#include <windows.h>

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

// The library writes the ICMP_ECHO_REPLY and the echoed data straight into
// the caller's buffer; its return value says nothing the Status field does not.
void IcmpEchoHandle::echo(uint32_t address, const void* data, uint16_t size, void* buffer,
                          uint32_t bufferSize, uint32_t timeoutMs) {
    if (!valid()) return;
    platform::icmpSendEcho.get()(handle_, address, const_cast<void*>(data), size, nullptr, buffer,
                                 bufferSize, timeoutMs);
}
