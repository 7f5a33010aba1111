// The monitor tasks' status reports on their way to the user-interface
// thread: kept in posting order, with at most one message on its way for
// all of them.
//
// Why: under Wine each posted message is a round trip to the Wine server
// for the task that posts it and another for the window thread that takes
// it, and one server serves every thread of the process. With thousands of
// hosts reporting each second the window thread spent most of its time in
// those round trips while its queue grew by seconds, and a click waited
// behind all of it. Here a report that finds a wake-up already on its way
// only joins the queue, and the window thread takes every waiting report
// on one message. While the window keeps up, each report still brings its
// own message.
//
// The wake-up is the report message, kStatusReportMessage, with wParam 0
// and lParam kReportsWaiting. A message with a hand-off block in wParam and
// lParam 0 is a single report, as any poster may still send one.
//
// Threads: post from any thread; take on the receiver's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/critical_section.h"
#include "runtime/ui_post.h"

constexpr std::intptr_t kReportsWaiting = 1;

class ReportMailbox {
public:
    // As many as a window's message queue holds: a receiver that has stopped
    // taking reports costs no more memory than one that has stopped reading
    // its messages.
    static constexpr std::size_t kMostWaiting = 10000;
    // Taken on one wake-up at most: handling them is the window thread's
    // longest stretch without a look at its queue, so it stays short; the
    // rest come with a wake-up of their own, queued behind what else was
    // posted meanwhile (a click, a step of the start-up).
    static constexpr std::size_t kMostPerTake = 256;

    ReportMailbox() = default;
    ~ReportMailbox();  // frees the blocks never taken
    ReportMailbox(const ReportMailbox&) = delete;
    ReportMailbox& operator=(const ReportMailbox&) = delete;

    // Later reports go to `receiver`. The reports still waiting for the
    // previous one are freed, as a window that is gone drops its queue.
    void setReceiver(UiReceiver receiver);
    UiReceiver receiver();

    // Queues the report (the mailbox owns the block from here on) and posts
    // the wake-up unless one is on its way. False when the report cannot
    // reach the receiver: none is set, it is gone, or kMostWaiting reports
    // wait already; the block is freed then, and so is every report waiting
    // for a wake-up that could not be posted.
    bool post(std::uintptr_t block);

    // The oldest `most` waiting reports' blocks, oldest first; the caller
    // owns them. A new wake-up is posted for the rest; when none are left
    // the next report posts it.
    std::vector<std::uintptr_t> take(std::size_t most = kMostWaiting);

private:
    void freeWaiting();  // under the lock
    // Posts a wake-up to `receiver`, whose reports are freed when it cannot
    // be posted. Without the lock: under Wine a post waits for the server,
    // and the other tasks need not wait with it.
    bool postWakeUp(UiReceiver receiver);

    CriticalSection lock_;
    UiReceiver receiver_ = 0;
    std::vector<std::uintptr_t> waiting_;
    bool wakeUpOnItsWay_ = false;
};

// The hand-off blocks a report message brings, oldest first, for the
// caller to take: the message's own block, or on a wake-up the oldest
// reports waiting in `mailbox`, at most kMostPerTake.
std::vector<std::uintptr_t> reportsOf(std::uintptr_t wParam, std::intptr_t lParam, ReportMailbox& mailbox);
