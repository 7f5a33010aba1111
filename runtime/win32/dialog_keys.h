// The dialog keys of every window the engine builds, taken from the message
// loop before translation (runtime/win32/program.h, setMessageFilter):
// Tab and Shift+Tab move the focus between the window's tab stops, Enter
// presses the template's default button, Esc closes a window whose template
// says so. A control that asks for a key itself (WM_GETDLGCODE), such as an
// open drop-down list for Enter and Esc, keeps it.
//
// Threads: the user-interface thread only.
#pragma once

#include <windows.h>

class Window;

// Makes handleDialogKey the message loop's filter (once is enough).
void installDialogKeys();

// The filter: true when msg was a dialog key of an engine window and has
// been acted on (it is then neither translated nor dispatched).
bool handleDialogKey(MSG& msg);

// The tab stop after (forward) or before `from` in the window's creation
// order, wrapping around; visible, enabled WS_TABSTOP controls only.
// `from` may be a control, a window inside one, or the window itself.
// nullptr when the window has no tab stop.
HWND nextTabStop(const Window& window, HWND from, bool forward);
