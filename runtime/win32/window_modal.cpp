// The loaded windows, in load order, and the windows a modal load disabled.
#include "runtime/win32/window.h"

#include <algorithm>

#include "runtime/win32/program.h"

namespace {

// Windows register here while loaded; the list is what "the other loaded
// windows" and "the last window's end" are measured against.
std::vector<Window*>& loadedWindows() {
    static std::vector<Window*> list;
    return list;
}

}  // namespace

Window* Window::fromHandle(HWND hwnd) {
    HWND root = GetAncestor(hwnd, GA_ROOT);
    for (Window* w : loadedWindows())
        if (w->hwnd_ == root) return w;
    return nullptr;
}

int Window::loadedCount() { return static_cast<int>(loadedWindows().size()); }

Window* Window::firstLoaded() {
    return loadedWindows().empty() ? nullptr : loadedWindows().front();
}

void Window::noteLoaded(bool modal) {
    if (modal) {
        for (Window* other : loadedWindows())
            if (IsWindowEnabled(other->hwnd_)) {
                EnableWindow(other->hwnd_, FALSE);
                disabled_.push_back(other->hwnd_);
            }
    }
    loadedWindows().push_back(this);
}

// The program has no window left once the last one is gone: the message
// loop ends (unless the program is ending already, and quits by itself).
void Window::noteUnloaded() {
    for (HWND other : disabled_)
        if (IsWindow(other)) EnableWindow(other, TRUE);
    disabled_.clear();
    auto& list = loadedWindows();
    auto gone = std::remove(list.begin(), list.end(), this);
    bool wasLoaded = gone != list.end();
    list.erase(gone, list.end());
    if (wasLoaded && list.empty() && !programEnding()) PostQuitMessage(0);
}
