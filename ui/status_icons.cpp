#include "ui/status_icons.h"

#include <cstdint>

#include "ui/gdi_handles.h"

namespace {

constexpr COLORREF kBarColours[4] = {RGB(0, 170, 0), RGB(255, 128, 0), RGB(224, 0, 0), RGB(72, 72, 72)};

// Four bars of rising height, 3 pixels wide with 1 pixel between them,
// standing on the bottom row.
bool isBar(int x, int y) {
    int bar = (x - 1) / 4;
    if (x < 1 || bar > 3 || (x - 1) % 4 == 3) return false;
    int height = 3 * (bar + 1);
    return y >= kStatusIconHeight - height;
}

void addIcon(HIMAGELIST list, COLORREF colour) {
    void* bits = nullptr;
    ScopedGdiObject image(createDib(kStatusIconWidth, kStatusIconHeight, 32, &bits));
    if (!image.valid()) return;
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::uint32_t bgra = 0xFF000000u | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    // The mask: 1 where the background shows through.
    WORD maskRows[kStatusIconHeight][2] = {};  // 32 bits per row, word aligned
    for (int y = 0; y < kStatusIconHeight; ++y) {
        std::uint32_t rowMask = 0;
        for (int x = 0; x < kStatusIconWidth; ++x) {
            bool bar = isBar(x, y);
            pixels[y * kStatusIconWidth + x] = bar ? bgra : 0;
            if (!bar) rowMask |= 0x80000000u >> x;
        }
        maskRows[y][0] = static_cast<WORD>(((rowMask >> 24) & 0xFF) | ((rowMask >> 8) & 0xFF00));
        maskRows[y][1] = static_cast<WORD>(((rowMask >> 8) & 0xFF) | ((rowMask << 8) & 0xFF00));
    }
    ScopedGdiObject mask(CreateBitmap(kStatusIconWidth, kStatusIconHeight, 1, 1, maskRows));
    ImageList_Add(list, static_cast<HBITMAP>(image.get()), static_cast<HBITMAP>(mask.get()));
}

}  // namespace

HIMAGELIST createStatusIcons() {
    HIMAGELIST list = ImageList_Create(kStatusIconWidth, kStatusIconHeight, ILC_COLOR32 | ILC_MASK, 4, 0);
    if (!list) return nullptr;
    for (COLORREF colour : kBarColours) addIcon(list, colour);
    return list;
}

void attachStatusIcons(void* listView) {
    HWND list = static_cast<HWND>(listView);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SUBITEMIMAGES, LVS_EX_SUBITEMIMAGES);
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(createStatusIcons()));
}
