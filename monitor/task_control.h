// The monitor task registry: start (restart when running) or stop the task
// of one host by its id. The only link between a host and its task is the
// stop token stored in the host's `handle` column (monitor/stop_tokens.h).
//
// Threads: the user-interface thread only, so two calls never overlap.
// Needs the database set with setMonitorDatabase.
#pragma once

#include <cstdint>

#include "runtime/text.h"

enum TaskOperation : int { taskStart = 1, taskStop = 2 };

// Empty on success, else the reason ("找不到任务编号", "启动线程失败，返回一个错误的句柄~！",
// "任务参数过长"); callers do not show it. A start that fails is told to
// runningTasks()'s listeners (the host list shows "未启动").
Text TaskControl(std::int32_t hostId, TaskOperation operation);
