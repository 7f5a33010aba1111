#include "store/date_text.h"

#include <cstdio>

#include "runtime/datetime.h"

Text FormatDateTime(DateTime value, DateTextForm form) {
    const CivilTime c = civilFromDateTime(value);
    char buf[64];
    if (form == DateTextForm::dateOnly)
        std::snprintf(buf, sizeof buf, "%d-%02d-%02d", c.year, c.month, c.day);
    else
        std::snprintf(buf, sizeof buf, "%d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day,
                      c.hour, c.minute, c.second);
    return Text(buf);
}

Text FormatDateTime() { return FormatDateTime(now()); }
