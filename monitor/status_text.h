// The Chinese text for an echo status code (IP_STATUS numbering).
// Any thread may call it; the result belongs to the caller.
#pragma once

#include <cstdint>

#include "runtime/text.h"

// Empty for codes outside the table, -1 included.
Text StatusText(int32_t code);
