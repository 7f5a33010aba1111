// How a log row's type reads to the user: on the log page and in the
// exported file alike. Any thread.
#pragma once

#include "runtime/text.h"

inline constexpr int kLogTypeHighLatency = 3;  // an abnormal latency
inline constexpr int kLogTypeTimeout = 4;      // a timeout or failure

// "延迟过高" for kLogTypeHighLatency, "网络不通" for anything else (GBK).
inline Text LogTypeText(int type) { return type == kLogTypeHighLatency ? "延迟过高" : "网络不通"; }
