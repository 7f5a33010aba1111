#include "runtime/win32/program.h"

#include <float.h>
#include <ole2.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/lock.h"
#include "runtime/system.h"
#include "runtime/ui_post.h"

namespace {

struct IdleCallback {
    HWND window;
    void (*routine)(void*);
    void* argument;
};

// The runtime's state, one per process. Only the user-interface thread
// touches the lists; the ending flag is read from any thread.
struct RuntimeState {
    HINSTANCE instance = nullptr;
    HWND owner = nullptr;
    DWORD uiThread = 0;
    std::vector<void (*)()> exitRoutines;
    std::vector<void (*)()> releases;
    std::vector<IdleCallback> idle;
    MessageFilter filter = nullptr;
    std::atomic<bool> ending{false};
};

RuntimeState& state() {
    static RuntimeState s;
    return s;
}

void finishProgram(int exitCode);

LRESULT CALLBACK ownerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kEndProgramMessage) finishProgram(static_cast<int>(wp));
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND createOwnerWindow(HINSTANCE instance) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ownerProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QernoOwner";
    RegisterClassW(&wc);
    // A hidden top-level window, not message-only: it owns the program's
    // task-modal boxes and receives the end request of other threads.
    return CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           instance, nullptr);
}

// The end proper, on the user-interface thread only: idle callbacks dropped,
// exit routines, then the locks still registered and the runtime's own
// releases (they may still be needed by an exit routine), the owner window,
// the process. Runs once: an exit routine that ends the program again ends
// the process at once instead of looping.
void finishProgram(int exitCode) {
    RuntimeState& s = state();
    if (s.ending.exchange(true)) ExitProcess(static_cast<UINT>(exitCode));  // re-entered from an exit routine
    s.idle.clear();
    for (auto routine : s.exitRoutines) routine();
    // A lock the program never deleted (a task may still hold one) goes
    // with the rest of the runtime's resources; a holder keeps it until it
    // leaves.
    deleteAllLocks();
    for (auto release : s.releases) release();
    if (s.owner) DestroyWindow(s.owner);
    s.owner = nullptr;
    ExitProcess(static_cast<UINT>(exitCode));
}

// Messages after which idle processing runs again (the framework's rule:
// mouse moves without movement, paints and the caret timer do not count).
// The tasks' status reports do not count either: they come all the time,
// change nothing idle work looks at, and under Wine each look at the queue
// is a round trip to the server.
bool isIdleMessage(const MSG& msg) {
    static POINT last{-1, -1};
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        bool same = msg.pt.x == last.x && msg.pt.y == last.y;
        last = msg.pt;
        return !same;
    }
    return msg.message != WM_PAINT && msg.message != 0x0118 && msg.message != kStatusReportMessage;
}

// Runs the idle callbacks; the runtime's own idle work has nothing more to
// do afterwards, so idling stops after one pass.
bool idle(long) {
    auto& list = state().idle;
    for (size_t i = list.size(); i-- > 0;) {
        if (!IsWindow(list[i].window)) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        list[i].routine(list[i].argument);
    }
    return false;
}

}  // namespace

bool startRuntime() {
    RuntimeState& s = state();
    static std::once_flag oleOnce;
    std::call_once(oleOnce, [] { OleInitialize(nullptr); });
    s.instance = GetModuleHandleW(nullptr);
    SetCurrentDirectoryW(toWide(runDirectory()).c_str());
    s.owner = createOwnerWindow(s.instance);
    s.uiThread = GetCurrentThreadId();
    return s.owner != nullptr;
}

bool isUiThread() { return GetCurrentThreadId() == state().uiThread; }
DWORD uiThreadId() { return state().uiThread; }
HWND ownerWindow() { return state().owner; }
HINSTANCE programInstance() {
    return state().instance ? state().instance : GetModuleHandleW(nullptr);
}

void registerExitRoutine(void (*routine)()) { state().exitRoutines.push_back(routine); }
void registerRuntimeRelease(void (*release)()) { state().releases.push_back(release); }

void addIdleCallback(HWND window, void (*routine)(void*), void* argument) {
    state().idle.push_back({window, routine, argument});
}

void setMessageFilter(MessageFilter filter) { state().filter = filter; }

void processMessage(MSG& msg) {
    MessageFilter filter = state().filter;
    if (filter && filter(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int runMessageLoop() {
    long idleCount = 0;
    bool idling = true;
    MSG msg;
    // The framework's loop also peeks after each message to decide whether
    // to go back to idling; without idle work due that peek only repeats
    // what the next GetMessage finds out, at one more round trip per message.
    for (;;) {
        while (idling && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!idle(idleCount++)) idling = false;
        }
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return static_cast<int>(msg.wParam);
        processMessage(msg);
        if (isIdleMessage(msg)) {
            idling = true;
            idleCount = 0;
        }
    }
}

void endProgram(int exitCode) {
    RuntimeState& s = state();
    if (!isUiThread() && s.owner) {
        // The user-interface thread runs the end and terminates the process;
        // this thread only gets past the call if that thread is gone.
        SendMessageW(s.owner, kEndProgramMessage, static_cast<WPARAM>(exitCode), 0);
        ExitProcess(static_cast<UINT>(exitCode));
    }
    finishProgram(exitCode);
    ExitProcess(static_cast<UINT>(exitCode));
}

bool programEnding() { return state().ending.load(); }
