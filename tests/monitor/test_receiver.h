// Stands in for the UI thread in tests: a receiver that monitor tasks post
// to, drained by the test thread. Native: a UiQueue. Windows: a message-only
// window of the test thread, so the posts are real PostMessage calls. A
// wake-up of the tasks' mailbox brings the reports waiting in it, at most
// ReportMailbox::kMostPerTake at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>

#include "monitor/monitor_context.h"
#include "monitor/report_mailbox.h"
#include "monitor/task_messages.h"
#include "runtime/handoff_block.h"
#include "runtime/ui_post.h"

class ReceivedReports {
public:
    // The message's reports join those not yet handed out.
    void add(std::uintptr_t wParam, std::intptr_t lParam) {
        for (std::uintptr_t block : reportsOf(wParam, lParam, monitorReports())) blocks_.push_back(block);
    }
    bool next(TaskStatusMessage& out) {
        if (blocks_.empty()) return false;
        out = decodeTaskStatus(takeHandoffBlock(blocks_.front()));
        blocks_.pop_front();
        return true;
    }
    ~ReceivedReports() {
        for (std::uintptr_t block : blocks_) takeHandoffBlock(block);
    }

private:
    std::deque<std::uintptr_t> blocks_;
};

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
            if (reports_.next(out)) return true;
            MSG msg;
            if (PeekMessageW(&msg, window_, kStatusReportMessage, kStatusReportMessage, PM_REMOVE)) {
                reports_.add(msg.wParam, msg.lParam);
                continue;
            }
            const DWORD now = GetTickCount();
            if (static_cast<int>(deadline - now) <= 0) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, deadline - now, QS_POSTMESSAGE);
        }
    }

private:
    HWND window_;
    ReceivedReports reports_;
};
#else
class TestReceiver {
public:
    UiReceiver receiver() { return queue_.receiver(); }
    bool take(TaskStatusMessage& out, int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (reports_.next(out)) return true;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            UiMessage m;
            if (left.count() < 0 || !queue_.take(m, static_cast<int>(left.count()))) return false;
            reports_.add(m.wParam, m.lParam);
        }
    }

private:
    UiQueue queue_;
    ReceivedReports reports_;
};
#endif
