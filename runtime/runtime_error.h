// The one funnel for fatal misuse detected by the runtime ("运行时出错!").
// The default handler writes the report to standard error and ends the
// process with exit code -1; the Windows program shell installs a handler
// that shows the error box first. raiseRuntimeError never returns.
#pragma once

#include "runtime/text.h"

struct RuntimeError {
    int code = 0;   // 0: the error has no number
    Text message;   // empty: the error has no message
};

using RuntimeErrorHandler = void (*)(const RuntimeError&);

// The report text: "运行时出错!\r\n\r\n" then the number and message lines.
Text runtimeErrorText(const RuntimeError& error);

// Replaces the handler (nullptr restores the default); returns the old one.
RuntimeErrorHandler setRuntimeErrorHandler(RuntimeErrorHandler handler);

[[noreturn]] void raiseRuntimeError(const RuntimeError& error);
