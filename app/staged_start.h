// Starts the monitor tasks of the hosts start-up listed, a bounded batch at
// a time from the message loop (a message each step posts to the main
// window, taking turns with the tasks' reports; a timer when the user's
// input or painting waits), so that a long host list never freezes the
// window. Hosts start in the order they were listed; one the user stopped,
// started or deleted before its turn is not started (monitor/start_queue.h).
//
// Threads: the user-interface thread only.
#pragma once

#include <windows.h>

#include <cstdint>

// Queues the host's first start; call once per listed host, in list order.
void queueTaskStart(std::int32_t hostId);
// Starts the first batch now and the rest in later steps, posted to the
// main window. The exit sequence drops whatever is still queued before it
// stops the tasks.
void startQueuedTasks(HWND main);
// Whether queued hosts still wait for their turn.
bool tasksStillStarting();
