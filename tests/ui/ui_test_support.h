// Shared by the in-process window tests: message pumping and geometry.
#pragma once

#include <windows.h>

#include "runtime/codepage.h"
#include "runtime/win32/window.h"

inline void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

struct Box {
    int left, top, width, height;
    friend bool operator==(const Box& a, const Box& b) {
        return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
    }
};

// A child's outer rectangle in its parent's client coordinates.
inline Box childBox(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

inline Box outerBox(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

inline Text textOf(HWND hwnd) {
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return fromWide(buffer);
}

// Closes a window of the tests at once (not through the close request).
inline void unload(Window& window) {
    window.destroyNow();
    pump();
}

#include <ostream>
inline std::ostream& operator<<(std::ostream& os, const Box& b) {
    return os << "(" << b.left << "," << b.top << " " << b.width << "x" << b.height << ")";
}
