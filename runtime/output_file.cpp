#include "runtime/output_file.h"

namespace {

// Writes reach the system in pieces of this size: one system call per
// piece rather than per CSV line, which under Wine is a round trip each.
constexpr std::size_t kWriteBufferBytes = 256 * 1024;

constexpr const char* kTemporarySuffix = ".part";

}  // namespace

OutputFile::~OutputFile() { discard(); }

bool OutputFile::open(const Text& path) {
    discard();
    if (path.empty()) return false;
    path_ = path;
    tempPath_ = path + kTemporarySuffix;
    failed_ = false;
    buffer_.clear();
    buffer_.reserve(kWriteBufferBytes);
    if (createTemporary()) return true;
    path_ = Text();
    tempPath_ = Text();
    return false;
}

bool OutputFile::write(std::string_view bytes) {
    if (!isOpen() || failed_) return false;
    if (buffer_.size() + bytes.size() > kWriteBufferBytes && !flushBuffer()) return false;
    if (bytes.size() >= kWriteBufferBytes) {
        if (!writeThrough(bytes)) failed_ = true;
        return !failed_;
    }
    buffer_ += bytes;
    return true;
}

bool OutputFile::commit() {
    if (!isOpen()) return false;
    const bool ok = !failed_ && flushBuffer() && flushAndClose() && renameOverTarget();
    if (!ok) {
        discard();
        return false;
    }
    path_ = Text();
    tempPath_ = Text();
    return true;
}

bool OutputFile::flushBuffer() {
    if (failed_) return false;
    if (!buffer_.empty() && !writeThrough(buffer_)) failed_ = true;
    buffer_.clear();
    return !failed_;
}

void OutputFile::discard() {
    closeHandle();
    if (!tempPath_.empty()) removeTemporary();
    path_ = Text();
    tempPath_ = Text();
    buffer_.clear();
    failed_ = false;
}
