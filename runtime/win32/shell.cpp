#include "runtime/win32/shell.h"

#include <windows.h>
#include <shellapi.h>

#include "runtime/codepage.h"

int osKind() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return 0;
    bool workstation = info.wProductType == VER_NT_WORKSTATION;
    DWORD major = info.dwMajorVersion, minor = info.dwMinorVersion;
    if (major == 10 && minor == 0) return workstation ? 5 : 6;
    if (major == 6 && minor == 3) return workstation ? 7 : 8;
    if (major == 6 && minor == 2) return workstation ? 9 : 10;
    if (major == 6 && minor == 1) return workstation ? 11 : 12;
    if (major == 6 && minor == 0) return workstation ? 14 : 13;
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s: return 1;
    case VER_PLATFORM_WIN32_WINDOWS: return 2;
    case VER_PLATFORM_WIN32_NT: return 3;
    default: return 0;
    }
}

void openUrl(const Text& url) {
    HWND owner = FindWindowW(nullptr, L"Microsoft Internet Explorer");
    std::wstring wide = toWide(url);
    ShellExecuteW(owner, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

const wchar_t* shellVerb(int operation) {
    switch (operation) {
    case ShellOperation::Edit: return L"edit";
    case ShellOperation::Explore: return L"explore";
    case ShellOperation::Find: return L"find";
    case ShellOperation::Open: return L"open";
    case ShellOperation::Print: return L"print";
    default: return nullptr;
    }
}

int shellShowCommand(int showMode) {
    switch (showMode) {
    case ShowMode::Hide: return SW_HIDE;
    case ShowMode::Normal: return SW_SHOWNORMAL;
    case ShowMode::Minimised: return SW_SHOWMINIMIZED;
    case ShowMode::Maximised: return SW_SHOWMAXIMIZED;
    case ShowMode::NoActivate: return SW_SHOWNA;
    case ShowMode::Minimise: return SW_MINIMIZE;
    default: return SW_SHOWNORMAL;
    }
}

int shellExecute(int operation, const Text& file, const Text& parameters, const Text& directory,
                 int showMode) {
    std::wstring wideFile = toWide(file), wideParams = toWide(parameters), wideDir = toWide(directory);
    HINSTANCE result = ShellExecuteW(nullptr, shellVerb(operation), wideFile.c_str(),
                                     parameters.empty() ? nullptr : wideParams.c_str(),
                                     directory.empty() ? nullptr : wideDir.c_str(),
                                     shellShowCommand(showMode));
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}
