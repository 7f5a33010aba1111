#include "app/single_instance.h"

#include <string>

#include "runtime/codepage.h"

bool CheckOtherInstance(const Text& name) {
    std::wstring wide = toWide(name);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, wide.c_str());
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (mutex) {
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        }
        return true;
    }
    return false;  // the handle stays open, the mutex owned, until the process ends
}

void ActivateOtherInstance(const Text& name, std::int32_t marker) {
    std::wstring wide = toWide(name);
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (reinterpret_cast<INT_PTR>(GetPropW(w, wide.c_str())) != marker) continue;
        // The close box minimises before it hides, so a window in the tray
        // is iconic and SW_RESTORE shows it again.
        if (IsIconic(w)) ShowWindow(w, SW_RESTORE);
        SetForegroundWindow(w);
        return;
    }
}

void MarkInstanceWindow(HWND window, const Text& name, std::int32_t marker) {
    std::wstring wide = toWide(name);
    SetPropW(window, wide.c_str(), reinterpret_cast<HANDLE>(static_cast<INT_PTR>(marker)));
}
