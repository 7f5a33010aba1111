// Reads back what the screen shows of a window, for tests that check pixels
// and for the screenshots the tests save when QERNO_UI_SHOTS names a folder
// (scripts/screenshots-history turns them into PNG files). Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "runtime/codepage.h"
#include "ui/gdi_handles.h"

// A window's client area as it is on the screen, or a rectangle of the
// screen (hwnd nullptr).
struct Capture {
    explicit Capture(HWND hwnd, RECT area = {}) {
        RECT r = area;
        if (hwnd) GetClientRect(hwnd, &r);
        width = r.right - r.left;
        height = r.bottom - r.top;
        HDC screen = GetDC(hwnd);
        void* bits = nullptr;
        bitmap = std::make_unique<ScopedGdiObject>(createDib(width, height, 32, &bits));
        ScopedMemoryDC memory;
        memory.select(bitmap->get());
        BitBlt(memory.get(), 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        ReleaseDC(hwnd, screen);
        pixels = static_cast<const std::uint32_t*>(bits);
    }
    COLORREF at(int x, int y) const {
        const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];  // 0x00RRGGBB
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int countInRows(COLORREF colour, int top, int bottom) const {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < width; ++x) n += at(x, y) == colour;
        return n;
    }
    // Writes a .bmp of the capture (for the screenshots script).
    void save(const std::wstring& path) const {
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER info{};
        info.biSize = sizeof info;
        info.biWidth = width;
        info.biHeight = -height;
        info.biPlanes = 1;
        info.biBitCount = 32;
        const DWORD size = static_cast<DWORD>(width) * height * 4;
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + size;
        std::ofstream out(path.c_str(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof file);
        out.write(reinterpret_cast<const char*>(&info), sizeof info);
        out.write(reinterpret_cast<const char*>(pixels), size);
    }
    int width = 0, height = 0;
    std::unique_ptr<ScopedGdiObject> bitmap;
    const std::uint32_t* pixels = nullptr;
};


// Where a screenshot named `name` goes in the folder QERNO_UI_SHOTS names.
inline std::wstring shotPath(const char* folder, const std::string& name) {
    return toWide(Text(std::string(folder) + "/" + name + ".bmp"));
}
