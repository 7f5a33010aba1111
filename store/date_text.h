// The date text of the database: "yyyy-MM-dd HH:mm:ss" (or "yyyy-MM-dd"),
// every field but the year two digits wide, so full texts compare as text in
// the order of the date-times they stand for. Any thread may call it.
#pragma once

#include "runtime/text.h"
#include "runtime/values.h"

enum class DateTextForm { full, dateOnly };

Text FormatDateTime(DateTime value, DateTextForm form = DateTextForm::full);
Text FormatDateTime();  // the current local date-time, full form
