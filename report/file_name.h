// Names offered in the save dialog for files the program writes: a prefix,
// the local date and time to the second, an extension, e.g.
// "日志_20240102_030405.csv". The time keeps two exports apart and sorts
// them in a folder listing. Any thread.
#pragma once

#include "runtime/datetime.h"
#include "runtime/text.h"

// prefix and extension are GBK; extension without the dot.
Text TimestampedFileName(const Text& prefix, DateTime at, const Text& extension);
