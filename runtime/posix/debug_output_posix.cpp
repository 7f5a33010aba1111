#include <cstdio>
#include <string>

#include "runtime/codepage.h"
#include "runtime/debug_output.h"

void debugOutput(const Text& text) {
    std::string line = gbkToUtf8(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}
