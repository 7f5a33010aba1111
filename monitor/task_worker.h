// The monitor task: the body of one host's thread. Once per cycle it probes
// the host, classifies, logs abnormal and failed cycles (log flag set),
// updates the moving average and posts a TaskStatusMessage to the
// notification receiver; then it waits up to 1000 ms on its stop event.
//
// Threads: runs on its own thread, started by TaskControl. It shares only
// the log (its row handed to the log writer, or without one written on the
// shared connection inside the log lock), the receiver (posting) and its
// stop event. It changes nothing in the database on its way out.
#pragma once

#include <cstdint>

#include "monitor/classify.h"
#include "monitor/probe.h"
#include "monitor/task_messages.h"

// Thread entry: block is a hand-off block holding TaskParams; the task owns
// it. Returns 0 when the task ends.
int MonitorTaskEntry(std::uintptr_t block);

// The state one task keeps between cycles, fresh at every (re)start.
class MonitorTask {
public:
    explicit MonitorTask(TaskParams params);
    // One cycle up to and including the post; the wait is the caller's.
    void runCycle();
    // Cycles until the stop event is set or cannot be waited on.
    void run();

    const TaskParams& params() const { return params_; }
    float average() const { return average_; }

private:
    void logCycle(const Classification& c, const Text& date);
    void post(const TaskStatusMessage& message);

    TaskParams params_;
    EchoReplyRecord reply_{};  // zeroed once; a probe that sends nothing leaves it as it was
    ProbeSession probe_;       // the ICMP handle and lookup, kept for the task's life
    std::int32_t lastColor_ = 0;
    float average_ = 0.0f;
};
