// The crash guard in the 64-bit stand-in build (see cmake/qerno.cmake): its
// frame records, thread hook and pop thunk patch 32-bit x86 code and walk
// the fs:0 chain, neither of which a 64-bit process has. Here it installs
// nothing and records nothing, so a crash ends the process the way Wine
// ends any other; the shipped 32-bit program always has the real guard.
#include "crashguard/win32/call_stack.h"
#include "crashguard/win32/crash_guard.h"

bool installCrashGuard() { return false; }
std::uint32_t ownModuleBase() { return 0; }

GuardFrame::GuardFrame(FrameHandler) : record_{} {}
GuardFrame::~GuardFrame() = default;
EntryGuard::EntryGuard() : frame_(nullptr) {}

bool pushCallFrame(const Text&, int) { return false; }
bool pushCallFrameMode(const Text&, int, bool) { return false; }
extern "C" std::uint32_t popCallFrame() { return 0; }
std::uint32_t popThunk() { return 0; }
int copyCallStack(RecordedFrame*, int) { return 0; }
int callStackDepth() { return 0; }
void destroyCallStack() {}
