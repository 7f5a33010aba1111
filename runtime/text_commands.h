// Text commands. Positions are 1-based byte positions, -1 is "not found";
// a double-byte GBK character is a lead byte >= 0x80 plus one trail byte.
// Plain functions without shared state: any thread may call them.
#pragma once

#include "runtime/text.h"

int textLength(const Text& text);
int findText(const Text& text, const Text& sought, int start = 1, bool ignoreCase = false);
Text midText(const Text& text, int start, int length);
Text trimRight(const Text& text);
Text removeSpaces(const Text& text);
Text spaces(int n);
Text repeatText(int n, const Text& text);
Text charFromCode(unsigned char code);

// Full-width GBK row (A3 A1..A3 FE) to ASCII, full-width space to " ",
// A1 AB to "~", A1 EE / A1 EF to "*"; applied before parsing numbers/dates.
Text foldHalfWidth(const Text& text);
