#include <windows.h>

#include "runtime/debug_output.h"

void debugOutput(const Text& text) { OutputDebugStringA(text.c_str()); }
