#include "runtime/ui_post.h"

#include <windows.h>

// A window that is gone (or a full message queue) refuses the post. So does
// no window at all: PostMessage would queue it for the posting thread
// itself (a monitor task, which never reads its queue) and what wParam
// owns would be lost.
bool postToUi(UiReceiver receiver, std::uint32_t message, std::uintptr_t wParam,
              std::intptr_t lParam) {
    if (receiver == 0) return false;
    return PostMessageW(reinterpret_cast<HWND>(receiver), message, static_cast<WPARAM>(wParam),
                        static_cast<LPARAM>(lParam)) != FALSE;
}
