// The window and control commands the application drives its windows with.
// A unit names a window (unit 0) or one of its controls or menu items.
// Naming a unit of a window that is not loaded, or one that does not exist,
// is a runtime error (the program ends). Windows only.
//
// Threads: the user-interface thread only.
#pragma once

#include <windows.h>

#include <vector>

#include "runtime/text.h"
#include "runtime/values.h"
#include "runtime/win32/window.h"

struct Unit {
    Window* window;
    int id;
};
inline Unit unitOf(Window& window, int id = kWindowUnit) { return Unit{&window, id}; }

// Creates the window (Created, Moved, Resized in order) unless it is open
// already: an open window is restored when minimised, else activated; a
// closing one is destroyed first and loaded anew. Owner: parent, else (for a window not
// shown in the task bar) the first window still loaded. modal: no owner, and
// the other top-level windows are disabled while it is open. False when the
// window could not be created or parent is given but not loaded.
bool loadWindow(Window& window, Window* parent = nullptr, bool modal = false);

// Posts the window its close request (0x8065); it is destroyed (its
// Destroying event runs) when the message loop processes it. Returns at once.
void destroyWindow(Window& window);

HWND windowHandle(Unit unit);
int clientWidth(Unit unit);
int clientHeight(Unit unit);
int sendMessage(Unit unit, int message, int wParam, int lParam);

// Properties (numbers as the window engine defines them): 0 left, 1 top,
// 2 width, 3 height, 5 visible; window 8 title, 18 position (0 normal,
// 1 restore and centre, 2 minimise, 3 maximise; only while visible); edit 8
// content; colour picker 8 colour; check box 18 checked; combo 19 current
// selection; date box 10 value; report list 35 first selected (-1 none).
namespace Property {
constexpr int Left = 0, Top = 1, Width = 2, Height = 3, Visible = 5;
// Two numbers mean what the unit's kind makes of them.
constexpr int TextSlot = 8, Title = TextSlot, Content = TextSlot, Colour = TextSlot;
constexpr int StateSlot = 18, WindowPosition = StateSlot, Checked = StateSlot;
constexpr int DateValue = 10;
constexpr int ComboSelection = 19;
constexpr int FirstSelected = 35;
}  // namespace Property

// Values of Property::WindowPosition.
namespace WindowPosition {
constexpr int Normal = 0, RestoreAndCentre = 1, Minimised = 2, Maximised = 3;
}  // namespace WindowPosition

void setProperty(Unit unit, int property, const Value& value);
Value getProperty(Unit unit, int property);  // std::monostate for an unknown one

// Whether the unit's text (a title, an edit box's content) reads as Text
// without loss: a typed character the code page lacks (an emoji, Korean)
// reads as "?", so a caller that must keep what was typed asks first.
bool textReadsExactly(Unit unit);

// CB_GETITEMDATA of item index; -1 when index is negative or past the end.
int comboItemData(Unit combo, int index);

// Shows menu `menu` of the window's template as a popup menu at the cursor
// plus 3 pixels (or at x, y on the screen); returns when it closes. The
// chosen item's event runs afterwards, from the message loop.
void popupMenu(Window& window, int menu);
void popupMenu(Window& window, int menu, int x, int y);
