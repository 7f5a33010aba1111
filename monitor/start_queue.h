// StartQueue: the hosts listed at start whose tasks are still to be started,
// in table order. Starting a thousand or more task threads in one go holds
// the user-interface thread for seconds (each start reads the host and
// creates a thread); the queue lets that thread start them a bounded batch
// at a time between its other messages, so the window keeps answering.
//
// A host that the user stops, starts or deletes before its turn is no longer
// waiting (RunningTasks forgets it on any stop, and a start or a delete
// begins with one): its turn starts nothing, and a started host is never
// restarted by the queue.
//
// Threads: the user-interface thread only (the RunningTasks it is given).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

#include "monitor/running_tasks.h"

class StartQueue {
public:
    using StartTask = std::function<void(std::int32_t hostId)>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // One step's bound: whichever comes first ends it. At least one waiting
    // host is started per step, so the queue always moves on.
    struct Batch {
        std::size_t maxHosts;
        std::chrono::milliseconds maxTime;
    };

    explicit StartQueue(RunningTasks& running, Clock clock = std::chrono::steady_clock::now)
        : running_(running), clock_(std::move(clock)) {}

    // Queues the host behind those queued before it and marks it waiting.
    void add(std::int32_t hostId);
    // Starts the next waiting hosts, in order, until the batch is used up or
    // the queue is empty; hosts no longer waiting are passed over. The number
    // of hosts started.
    std::size_t step(const StartTask& start, const Batch& batch);
    bool empty() const { return ids_.empty(); }
    // Drops every queued host (the program is ending): none of them starts.
    void clear();

private:
    RunningTasks& running_;
    Clock clock_;
    std::deque<std::int32_t> ids_;
};
