// The two payloads of a monitor task: TaskParams, the snapshot of one host a
// new task receives, and TaskStatusMessage, one cycle's report to the UI
// thread. Both travel in hand-off blocks, encoded field by field in the
// order below with ByteStream (integers 4 bytes little-endian, texts a
// 16-bit length and GBK bytes). Any thread may call these.
#pragma once

#include <cstdint>

#include "monitor/classify.h"
#include "runtime/text.h"
#include "runtime/values.h"

struct TaskParams {
    std::int32_t hostId = 0;
    Text name;
    Text target;
    Thresholds thresholds{};  // written as t1, c1, t2, c2, t3, c3, t4, c4
    bool logFlag = false;
    std::int32_t stopToken = 0;  // the stop event (monitor/stop_tokens.h)
};

struct TaskStatusMessage {
    std::int32_t hostId = 0;
    std::int32_t roundTripTime = 0;  // as the probe left it, not the effective latency
    Text statusText;
    std::int32_t color = 0;          // -1: the same as the last message's
    std::int32_t average = 0;
    std::int32_t level = 0;
    std::int32_t status = 0;
};

// The encoders give an empty payload when a text is too long for its 16-bit
// length (32,767 bytes: a name written by another program): a
// payload with a field left out would be read with every later field
// misplaced. A payload that holds its fields is never empty.
ByteSet encodeTaskParams(const TaskParams& params);
// Fields the payload does not hold read as zero or empty.
TaskParams decodeTaskParams(const ByteSet& payload);

ByteSet encodeTaskStatus(const TaskStatusMessage& message);
TaskStatusMessage decodeTaskStatus(const ByteSet& payload);
