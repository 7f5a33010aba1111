// Frame-based exception handling for the crash guard: the handler that sits
// at the base of every guarded thread, and the RAII link that puts it there.
//
// GuardFrame links an EXCEPTION_REGISTRATION record {next, handler} at the
// head of the calling thread's chain (fs:[0]) and restores the previous head
// when it goes out of scope. The system only accepts records on the
// thread's own stack: construct it as a local, never on the heap. Unlinking
// in the destructor matters: a C++ exception leaving the scope would
// otherwise leave fs:[0] pointing at a dead record.
#pragma once

#include <windows.h>

struct ExceptionRegistration {
    ExceptionRegistration* next;
    void* handler;
};

using FrameHandler = EXCEPTION_DISPOSITION(__cdecl*)(EXCEPTION_RECORD*, void*, CONTEXT*, void*);

class GuardFrame {
public:
    explicit GuardFrame(FrameHandler handler);
    ~GuardFrame();
    GuardFrame(const GuardFrame&) = delete;
    GuardFrame& operator=(const GuardFrame&) = delete;
    GuardFrame(GuardFrame&&) = delete;  // the record's address is what is linked

private:
    ExceptionRegistration record_;
};

// The head of the calling thread's chain.
ExceptionRegistration* frameChainHead();
void setFrameChainHead(ExceptionRegistration* head);

// The crash guard's handler: runs crashFilter behind a nested fatal guard and
// maps its result (0: continue search, -1: continue execution).
extern "C" EXCEPTION_DISPOSITION __cdecl guardFrameHandler(EXCEPTION_RECORD* record, void* frame,
                                                           CONTEXT* context, void* dispatcher);

// 0 when the exception is declined; otherwise reports it and ends the thread
// or the process without returning. Gated by the option reportEnabled.
int crashFilter(EXCEPTION_RECORD* record, CONTEXT* context);
