// OutputFile: a file the program writes for the user (an export, a report)
// that appears under its chosen name only when it is complete.
//
// open(path) creates a temporary file beside the chosen one (path +
// ".part", in the same folder so that the final rename stays on one
// volume); write appends to it through a buffer; commit flushes it to disk,
// closes it and renames it over `path`, replacing a file already there. An
// object destroyed before commit (a cancelled export, an error) removes the
// temporary file: nothing is left under the chosen name or beside it, and a
// file the user already had under that name is untouched.
//
// `path` is a GBK text, as the program holds every name; the halves open it
// as the system's file APIs take names (UTF-16 on Windows, UTF-8 bytes on
// POSIX). A character GBK lacks cannot be named here: the save dialog
// refuses such paths before they reach this class.
//
// Threads: one object is used by one thread at a time (an export's worker).
// Nothing throws; every failure is false, and once a write failed every
// later write and the commit fail too, so a full disk is never reported as
// a finished file.
#pragma once

#include <string>
#include <string_view>

#include "runtime/text.h"

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Discards any earlier unfinished file first. False when the temporary
    // file cannot be created (no such folder, a read-only one, an empty path).
    bool open(const Text& path);
    bool write(std::string_view bytes);
    // False when nothing is open, a write failed, or the flush, close or
    // rename failed; the temporary file is removed on failure as well.
    bool commit();

    bool isOpen() const;
    const Text& temporaryPath() const { return tempPath_; }

private:
    // The platform halves (output_file_win32.cpp, output_file_posix.cpp).
    bool createTemporary();
    bool writeThrough(std::string_view bytes);
    bool flushAndClose();  // data on disk, handle closed; false on any error
    bool renameOverTarget();
    void closeHandle();
    void removeTemporary();

    bool flushBuffer();
    void discard();

    Text path_;
    Text tempPath_;
    std::string buffer_;
    bool failed_ = false;
#ifdef _WIN32
    void* handle_ = nullptr;  // INVALID_HANDLE_VALUE is kept as nullptr
#else
    int fd_ = -1;
#endif
};
