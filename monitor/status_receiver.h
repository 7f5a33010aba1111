// The notification receiver's handling of one TaskStatusMessage: the host's
// row shows the cycle's latency, status text, status image, class colour and
// average. Columns: 2 latency, 3 status (with the image), 5 average.
//
// Threads: the user-interface thread only.
#pragma once

#include <cstdint>

#include "monitor/host_list.h"
#include "monitor/task_messages.h"

// Takes the hand-off block (wParam of the message) and applies it.
void ReceiveTaskStatus(std::uintptr_t block, HostList& list);

// Applies one decoded message; a host without a row is ignored.
void ApplyTaskStatus(const TaskStatusMessage& message, HostList& list);
