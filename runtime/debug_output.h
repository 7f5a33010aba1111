// Diagnostic text for a developer watching the process. Windows: the
// debugger output (OutputDebugStringA, GBK bytes as they are). Native build:
// one line on standard error, converted to UTF-8 for the terminal.
// Any thread may call it.
#pragma once

#include "runtime/text.h"

void debugOutput(const Text& text);
