#include "runtime/win32/window_class.h"

#include <commctrl.h>

#include "runtime/win32/program.h"
#include "runtime/win32/window.h"

bool registerWindowClass() {
    static bool done = false;
    if (done) return true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_DATE_CLASSES |
                                              ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Window::proc;
    wc.hInstance = programInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    done = RegisterClassExW(&wc) != 0;
    return done;
}
