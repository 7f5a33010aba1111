#include "tests/e2e/run_folder.h"

#include <shellapi.h>

#include <cstdio>

#include "tests/e2e/helper/driver.h"

namespace {

std::wstring windowsPath(const char* unixPath) {
    std::wstring path = L"Z:" + e2e::wide(unixPath);
    for (auto& ch : path)
        if (ch == L'/') ch = L'\\';
    return path;
}

void removeTree(const std::wstring& path) {
    std::wstring from = path + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

}  // namespace

RunFolder::RunFolder() {
    static int counter = 0;
    CreateDirectoryW(L"C:\\qerno-e2e", nullptr);
    path_ = L"C:\\qerno-e2e\\run-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    removeTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

RunFolder::~RunFolder() { removeTree(path_); }

std::wstring RunFolder::copyIn(const char* unixPath) {
    std::wstring source = windowsPath(unixPath);
    std::wstring target = path_ + source.substr(source.find_last_of(L'\\'));
    CopyFileW(source.c_str(), target.c_str(), FALSE);
    return target;
}

Process::Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workDir) {
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.c_str(), &si, &info_))
        info_ = {};
}

Process::~Process() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

DWORD Process::waitExit(int timeoutMs) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0)
        GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

std::wstring readFileUtf8(const std::wstring& path) {
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof(buffer), f)) > 0;) bytes.append(buffer, n);
        fclose(f);
    }
    return e2e::wide(bytes);
}
