// A fresh run folder for one program start (never inside dist/ and not in a
// temporary folder, which the program refuses to run from), with the
// program files copied in; removed with the object.
#pragma once

#include <windows.h>

#include <string>

class RunFolder {
public:
    RunFolder();
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const std::wstring& path() const { return path_; }
    // Copies a file given by its Unix path (build tree) into the folder.
    std::wstring copyIn(const char* unixPath);

private:
    std::wstring path_;
};

// A started process: its handle closes (and the process ends, if still
// running) with the object.
class Process {
public:
    Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workDir);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    bool started() const { return info_.hProcess != nullptr; }
    DWORD id() const { return info_.dwProcessId; }
    // The exit code once it ended within timeoutMs; STILL_ACTIVE otherwise.
    DWORD waitExit(int timeoutMs);

private:
    PROCESS_INFORMATION info_{};
};

std::wstring readFileUtf8(const std::wstring& path);
