// SQLite on Windows opens its UTF-8 file name through the W APIs; probe the
// same UTF-16 name.
#include <stdio.h>

#include "runtime/codepage.h"
#include "store/file_probe.h"

bool canOpenForReading(const Text& fileName) {
    std::wstring wide = toWide(fileName);
    if (wide.empty()) return false;
    FILE* f = _wfopen(wide.c_str(), L"rb");
    if (!f) return false;
    fclose(f);
    return true;
}
