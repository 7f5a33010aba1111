// Scope guards for the GDI objects the drawing code creates.
#pragma once

#include <windows.h>

class ScopedGdiObject {
public:
    explicit ScopedGdiObject(HGDIOBJ object = nullptr) : object_(object) {}
    ~ScopedGdiObject() { if (object_) DeleteObject(object_); }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    HGDIOBJ get() const { return object_; }
    HGDIOBJ take() { HGDIOBJ o = object_; object_ = nullptr; return o; }
    bool valid() const { return object_ != nullptr; }

private:
    HGDIOBJ object_;
};

class ScopedMemoryDC {
public:
    ScopedMemoryDC() : dc_(CreateCompatibleDC(nullptr)) {}
    ~ScopedMemoryDC() {
        if (old_) SelectObject(dc_, old_);
        if (dc_) DeleteDC(dc_);
    }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
    HDC get() const { return dc_; }
    void select(HGDIOBJ object) {
        HGDIOBJ previous = SelectObject(dc_, object);
        if (!old_) old_ = previous;
    }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

// A top-down DIB section of the given bit depth; pixels() points at its bits.
inline HBITMAP createDib(int width, int height, int bits, void** pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits);
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, pixels, nullptr, 0);
}
