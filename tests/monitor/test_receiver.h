// Stands in for the UI thread in tests: a receiver that monitor tasks post
// to, drained by the test thread. Native: a UiQueue. Windows: a message-only
// window of the test thread, so the posts are real PostMessage calls.
#pragma once

#include <cstdint>

#include "monitor/task_messages.h"
#include "runtime/handoff_block.h"
#include "runtime/ui_post.h"

#ifdef _WIN32
#include <windows.h>

class TestReceiver {
public:
    TestReceiver() : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~TestReceiver() { DestroyWindow(window_); }
    UiReceiver receiver() const { return reinterpret_cast<UiReceiver>(window_); }
    // The next status message, waiting up to timeoutMs; false on timeout.
    bool take(TaskStatusMessage& out, int timeoutMs) {
        const DWORD deadline = GetTickCount() + static_cast<DWORD>(timeoutMs);
        for (;;) {
            MSG msg;
            if (PeekMessageW(&msg, window_, kStatusReportMessage, kStatusReportMessage, PM_REMOVE)) {
                out = decodeTaskStatus(takeHandoffBlock(msg.wParam));
                return true;
            }
            const DWORD now = GetTickCount();
            if (static_cast<int>(deadline - now) <= 0) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, deadline - now, QS_POSTMESSAGE);
        }
    }

private:
    HWND window_;
};
#else
class TestReceiver {
public:
    UiReceiver receiver() { return queue_.receiver(); }
    bool take(TaskStatusMessage& out, int timeoutMs) {
        UiMessage m;
        if (!queue_.take(m, timeoutMs)) return false;
        out = decodeTaskStatus(takeHandoffBlock(m.wParam));
        return true;
    }

private:
    UiQueue queue_;
};
#endif
