// The integer edit box: an edit box that takes only "-" and the digits from
// the keyboard (control keys pass) and, when it loses the focus, rewrites
// its text as the decimal of its value: parsed as a 64-bit integer, clamped
// to the signed 32-bit range, and shown empty when that is 0.
// The user-interface thread only.
#pragma once

#include "runtime/text.h"

// Template hook: subclasses the edit box.
void attachIntegerEdit(void* edit);

// The text an integer edit box shows after losing the focus with `typed`.
Text normaliseIntegerText(const Text& typed);

// Whether a typed character is let through.
bool integerEditAccepts(unsigned ch);
