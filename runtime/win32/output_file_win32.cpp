// The W file APIs with the UTF-16 form of the program's GBK names.
#include <windows.h>

#include "runtime/codepage.h"
#include "runtime/output_file.h"

namespace {

// WriteFile takes a DWORD count; pieces stay well below it.
constexpr std::size_t kLargestWrite = 1u << 30;

}  // namespace

bool OutputFile::isOpen() const { return handle_ != nullptr; }

bool OutputFile::createTemporary() {
    // No sharing while it is written: a spreadsheet cannot open a half file.
    HANDLE h = CreateFileW(toWide(tempPath_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    handle_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
    return handle_ != nullptr;
}

bool OutputFile::writeThrough(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(bytes.size() < kLargestWrite ? bytes.size() : kLargestWrite);
        DWORD written = 0;
        if (!WriteFile(handle_, bytes.data(), piece, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool OutputFile::flushAndClose() {
    const bool flushed = FlushFileBuffers(handle_) != 0;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = nullptr;
    return flushed && closed;
}

bool OutputFile::renameOverTarget() {
    return MoveFileExW(toWide(tempPath_).c_str(), toWide(path_).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void OutputFile::closeHandle() {
    if (handle_) CloseHandle(handle_);
    handle_ = nullptr;
}

void OutputFile::removeTemporary() { DeleteFileW(toWide(tempPath_).c_str()); }
