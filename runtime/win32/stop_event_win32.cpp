#include "runtime/stop_event.h"

#include <windows.h>

StopEvent::StopEvent() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

StopEvent::~StopEvent() {
    if (handle_) CloseHandle(handle_);
}

bool StopEvent::valid() const { return handle_ != nullptr; }

void StopEvent::set() {
    if (handle_) SetEvent(handle_);
}

StopEvent::Wait StopEvent::wait(int timeoutMs) {
    if (!handle_) return Wait::failed;
    switch (WaitForSingleObject(handle_, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs))) {
        case WAIT_OBJECT_0: return Wait::signalled;
        case WAIT_TIMEOUT: return Wait::timedOut;
        default: return Wait::failed;
    }
}
