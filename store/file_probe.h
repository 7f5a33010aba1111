// Whether a file exists and can be opened for reading, by its name in the
// program's code page (the same name SQLite is given, converted). Any thread.
#pragma once

#include "runtime/text.h"

bool canOpenForReading(const Text& fileName);
