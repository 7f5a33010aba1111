// SQLite on POSIX takes the UTF-8 bytes as the file name, so probe the same.
#include <cstdio>

#include "runtime/codepage.h"
#include "store/file_probe.h"

bool canOpenForReading(const Text& fileName) {
    std::string utf8 = gbkToUtf8(fileName);
    if (utf8.empty()) return false;
    std::FILE* f = std::fopen(utf8.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}
