#include "runtime/win32/runtime_error_box.h"

#include <windows.h>

#include <atomic>

#include "runtime/codepage.h"
#include "runtime/runtime_error.h"

namespace {

std::atomic<bool> g_reporting{false};

void showErrorBox(const RuntimeError& error) {
    // A second error while the first box is up (another thread, or a handler
    // run by the box's own message loop) ends at once: one report is enough.
    if (g_reporting.exchange(true)) ExitProcess(static_cast<UINT>(-1));
    std::wstring text = toWide(runtimeErrorText(error));
    std::wstring caption = toWide("错误");
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR);
    ExitProcess(static_cast<UINT>(-1));
}

}  // namespace

void installRuntimeErrorBox() { setRuntimeErrorHandler(showErrorBox); }
