#include "ui/banner.h"

#include <cstdint>

#include "runtime/codepage.h"
#include "ui/gdi_handles.h"

namespace {
constexpr int kWidth = 380, kHeight = 90;
}

HBITMAP createBanner() {
    void* bits = nullptr;
    ScopedGdiObject bitmap(createDib(kWidth, kHeight, 24, &bits));
    if (!bitmap.valid()) return nullptr;
    // A blue gradient, darker to the right; rows of 24-bit DIBs are 4-byte aligned.
    auto* row = static_cast<std::uint8_t*>(bits);
    int stride = (kWidth * 3 + 3) & ~3;
    for (int y = 0; y < kHeight; ++y, row += stride)
        for (int x = 0; x < kWidth; ++x) {
            row[x * 3 + 0] = static_cast<std::uint8_t>(230 - x * 90 / kWidth);  // blue
            row[x * 3 + 1] = static_cast<std::uint8_t>(140 - x * 80 / kWidth - y / 3);
            row[x * 3 + 2] = static_cast<std::uint8_t>(20 + y / 6);
        }
    ScopedMemoryDC dc;
    dc.select(bitmap.get());
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = -28;
    font.lfWeight = FW_BOLD;
    ScopedGdiObject big(CreateFontIndirectW(&font));
    dc.select(big.get());
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), RGB(255, 255, 255));
    std::wstring title = toWide("Qerno网络检测");
    TextOutW(dc.get(), 24, 26, title.c_str(), static_cast<int>(title.size()));
    SelectObject(dc.get(), GetStockObject(DEFAULT_GUI_FONT));  // let `big` go before the DC
    GdiFlush();
    return static_cast<HBITMAP>(bitmap.take());
}

void attachBanner(void* picture) {
    HBITMAP banner = createBanner();
    HBITMAP previous = reinterpret_cast<HBITMAP>(SendMessageW(static_cast<HWND>(picture), STM_SETIMAGE,
                                                              IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner)));
    if (previous) DeleteObject(previous);
}
