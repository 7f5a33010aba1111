#include "report/file_name.h"

#include <cstdio>

Text TimestampedFileName(const Text& prefix, DateTime at, const Text& extension) {
    const CivilTime t = civilFromDateTime(at);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "_%04d%02d%02d_%02d%02d%02d.", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return prefix + stamp + extension;
}
