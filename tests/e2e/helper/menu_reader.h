// Reads the items of a popup menu that another process shows.
//
// Windows lets any process read a menu through its handle; Wine keeps a
// menu's items in the process that made it, and GetMenuItemInfoW from
// outside fails there. So the reading runs in the menu's process: a thread
// started there calls GetMenuItemCount, GetMenuState or GetMenuStringW on the
// handle the menu window gives (MN_GETHMENU), one call per thread, through a
// few bytes of code that pass argument words from a block to the routine.
// Both processes are 32-bit x86. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Item texts in menu order, "-" for a separator; empty when the menu could
// not be read (no menu, no access to its process, a call that timed out).
std::vector<std::wstring> readMenuItems(HWND menuWindow);

}  // namespace e2e
