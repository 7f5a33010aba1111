// RunningTasks: which hosts have a running monitor task, and the stop token
// of each. The task registry (TaskControl) keeps it; it is the authority for
// stopping a host's task, so a `handle` column that could not be written (a
// read-only or busy file) or that holds a stale value never leaves a task
// unreachable or names another host's task.
//
// Listeners hear every start and stop as it happens: a restart (an edited
// host) is a stop and then a start, so what is kept per host starts fresh.
// A start that failed (parameters that cannot be encoded, a refused thread)
// is heard as notStarted, after the stop of the task it was to replace: the
// host has no task then, and its row must not keep showing the last report
// of one.
//
// Each running task keeps the name and address it was started with, so
// that a listener hearing the start need not read the host again (a second
// open of the host table per start, a thousand at a program's start).
//
// A host listed at start whose task is still to be started (monitor/
// start_queue.h) is waiting: any stop forgets that, and a start or a delete
// by the user begins with a stop, so its turn then starts nothing.
//
// Threads: the user-interface thread only (TaskControl's thread).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "runtime/text.h"

class RunningTasks {
public:
    // What the task was started with, as stored (the address before any
    // name resolution).
    struct Label {
        Text name;
        Text address;
    };

    enum class Change { started, stopped, notStarted };
    using Listener = std::function<void(std::int32_t hostId, Change change)>;
    using ListenerId = int;  // 0 is never given out

    // The host's task token, 0 when it has no running task.
    std::int32_t tokenOf(std::int32_t hostId) const;
    bool isRunning(std::int32_t hostId) const { return tokenOf(hostId) != 0; }
    // Hosts with a running task, in ascending id order.
    std::vector<std::int32_t> hosts() const;
    std::size_t count() const { return tasks_.size(); }
    // The running task's label; empty texts when the host has no task.
    Label labelOf(std::int32_t hostId) const;

    // Records a started task (a running one is replaced: stop it first).
    void started(std::int32_t hostId, std::int32_t token, Label label = {});
    // Forgets the host's task and that it waits to start; its token, 0 when
    // none was running.
    std::int32_t stopped(std::int32_t hostId);
    // A start of the host's task failed; stop its running task first.
    void notStarted(std::int32_t hostId);

    // The host waits for its task's first start.
    void awaitStart(std::int32_t hostId) { waiting_.insert(hostId); }
    bool awaitsStart(std::int32_t hostId) const { return waiting_.count(hostId) != 0; }
    // Whether the host was waiting; it no longer is.
    bool takeWaiting(std::int32_t hostId) { return waiting_.erase(hostId) != 0; }

    ListenerId addListener(Listener listener);
    bool removeListener(ListenerId id);

private:
    void notify(std::int32_t hostId, Change change);

    struct Task {
        std::int32_t token;
        Label label;
    };
    std::map<std::int32_t, Task> tasks_;
    std::set<std::int32_t> waiting_;
    std::vector<std::pair<ListenerId, Listener>> listeners_;
    ListenerId lastId_ = 0;
};

// The program's registry of running tasks.
RunningTasks& runningTasks();
