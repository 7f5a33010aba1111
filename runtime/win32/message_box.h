// messageBox: a system message box with the runtime's numbering of results.
// Any thread may call it (the box runs its own message loop).
#pragma once

#include <windows.h>

#include "runtime/text.h"
#include "runtime/values.h"

// The flags the program shows its boxes with (MessageBox style bits).
namespace BoxFlags {
constexpr int Information = MB_OK | MB_ICONINFORMATION;  // 64
constexpr int Question = MB_YESNO | MB_ICONQUESTION;     // 36
constexpr int Error = MB_OK | MB_ICONERROR;              // 16
}  // namespace BoxFlags

// The runtime's numbering of the button that closed a box; not the system's
// IDOK... numbers, which start at 1.
namespace BoxResult {
constexpr int NotShown = -1;
constexpr int Ok = 0, Cancel = 1, Abort = 2, Retry = 3, Ignore = 4, Yes = 5, No = 6;
}  // namespace BoxResult

// Shows the box and returns which button closed it (BoxResult).
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
