#include "runtime/ui_post.h"

#include <windows.h>

// A window that is gone (or a full message queue) refuses the post.
bool postToUi(UiReceiver receiver, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) {
    return PostMessageW(reinterpret_cast<HWND>(receiver), message, static_cast<WPARAM>(wParam),
                        static_cast<LPARAM>(lParam)) != FALSE;
}
