// messageBox: a system message box with the runtime's numbering of results.
// Any thread may call it (the box runs its own message loop).
#pragma once

#include <windows.h>

#include "runtime/text.h"
#include "runtime/values.h"

// Shows the box and returns which button closed it: 0 OK, 1 Cancel, 2 Abort,
// 3 Retry, 4 Ignore, 5 Yes, 6 No (-1 when the box could not be shown).
// flags are MessageBox style bits; the box is task-modal unless the caller
// asked for system-modal (MB_SYSTEMMODAL). owner nullptr: no owner.
int messageBox(const Text& text, int flags, const Text& caption = "信息：", HWND owner = nullptr);
// A string literal would otherwise convert to bool (a standard conversion
// beats Text's constructor) and show "真".
inline int messageBox(const char* text, int flags, const Text& caption = "信息：",
                      HWND owner = nullptr) {
    return messageBox(Text(text), flags, caption, owner);
}
int messageBox(int value, int flags, const Text& caption = "信息：", HWND owner = nullptr);
int messageBox(bool value, int flags, const Text& caption = "信息：", HWND owner = nullptr);
int messageBox(DateTime value, int flags, const Text& caption = "信息：", HWND owner = nullptr);

// The flags a messageBox call passes on to the system (task-modal added).
UINT messageBoxStyle(int flags);
// The runtime's number for a MessageBox return value.
int messageBoxResult(int systemResult);
