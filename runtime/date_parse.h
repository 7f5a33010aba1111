// The runtime's date-text grammar (after half-width folding):
// year(<=4 digits) [sep] month(<=2) [sep] day(<=2) [sep] hour [sep] minute
// [sep] second [秒], every separator optional, a missing number 0.
#pragma once

#include "runtime/datetime.h"
#include "runtime/text.h"

// True and the fields when the whole text parses and every field is in range.
bool parseDateText(const Text& folded, CivilTime& out);
