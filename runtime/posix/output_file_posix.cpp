// POSIX takes file names as bytes; the program's GBK names go to the
// system as UTF-8, as SQLite's names do (store/posix/file_probe_posix.cpp).
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

#include "runtime/codepage.h"
#include "runtime/output_file.h"

namespace {

constexpr mode_t kNewFileMode = 0666;  // less the user's umask, as any new file

}  // namespace

bool OutputFile::isOpen() const { return fd_ >= 0; }

bool OutputFile::createTemporary() {
    const std::string name = gbkToUtf8(tempPath_);
    fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    return fd_ >= 0;
}

bool OutputFile::writeThrough(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool OutputFile::flushAndClose() {
    const bool synced = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;  // NFS reports a late write error here
    fd_ = -1;
    return synced && closed;
}

bool OutputFile::renameOverTarget() {
    return ::rename(gbkToUtf8(tempPath_).c_str(), gbkToUtf8(path_).c_str()) == 0;
}

void OutputFile::closeHandle() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void OutputFile::removeTemporary() { ::unlink(gbkToUtf8(tempPath_).c_str()); }
