#include <time.h>
#include <unistd.h>

#include <string>

#include "runtime/codepage.h"
#include "runtime/datetime.h"
#include "runtime/system.h"

namespace {

std::string executablePath() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// The path's bytes are UTF-8 here; Text holds GBK, as on Windows.
std::string utf8RunDirectory() {
    std::string path = executablePath();
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

Text runDirectory() { return utf8ToGbk(utf8RunDirectory()); }

bool runDirectoryIsExact() { return utf8FitsGbk(utf8RunDirectory()); }

Text executableName() {
    std::string path = executablePath();
    return Text(path.substr(path.rfind('/') + 1));
}

int tickCount() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    unsigned long long ms = static_cast<unsigned long long>(ts.tv_sec) * 1000ULL +
                            static_cast<unsigned long long>(ts.tv_nsec) / 1000000ULL;
    return static_cast<int>(static_cast<unsigned>(ms));  // wraps like GetTickCount
}
