// StopEvent: a manual-reset event that tells a thread to end. Once set it
// stays set; every wait after that returns at once.
//
// Threads: any thread may set it or wait on it, at the same time; the
// object must outlive every call (share it, e.g. through a shared_ptr).
#pragma once

class StopEvent {
public:
    enum class Wait { signalled, timedOut, failed };

    StopEvent();  // not signalled; valid() is false when the system gave no event
    ~StopEvent();
    StopEvent(const StopEvent&) = delete;
    StopEvent& operator=(const StopEvent&) = delete;

    bool valid() const;
    void set();
    // Waits until the event is set, at most timeoutMs milliseconds.
    Wait wait(int timeoutMs);

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    struct State;
    State* state_ = nullptr;
#endif
};
