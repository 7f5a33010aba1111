// Window templates: the layout from which loadWindow builds a window and its
// controls. A template is constant data (one per window kind, defined by the
// user-interface layer); nothing here owns a handle.
//
// Units. Every window has unit 0 (the window itself); control i of the
// template (0-based) is unit i + 1 and uses that number as its control id;
// item j of popup menu m is unit menuItemUnit(m, j) and uses that number as
// its command id. Units are what the event tables and commands name.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/text.h"

enum class ControlKind {
    Label,         // static text, receives mouse events and message 0x8075
    Button,        // push button
    CheckBox,      // auto check box
    Edit,          // single-line edit, sunken border
    IntegerEdit,   // Edit that the attach hook restricts to integers
    ComboList,     // drop-down list, not editable
    DatePicker,    // date-time picker
    ReportList,    // list view in report mode
    Tab,           // tab control
    Frame,         // plain rectangular frame panel
    Picture,       // picture box showing a bitmap
    ColourPicker,  // window class registered by the user-interface layer
    ProgressBar,   // progress bar, range 0..100 unless its attach hook sets another
};

struct ListColumn {
    const char* title;  // GBK
    int width;
    int align;  // LVCFMT_LEFT, LVCFMT_RIGHT or LVCFMT_CENTER
};

struct ControlTemplate {
    const char* name = nullptr;  // GBK, for diagnostics; the unit number is the key
    ControlKind kind = ControlKind::Label;
    // Where the position is measured from: 0 the window's client area, or the
    // unit of a tab control or frame panel (its window origin). Controls are
    // always children of the window itself, so their notifications reach it.
    int container = 0;
    int page = -1;  // page of the container tab control shown with it; -1 none
    int left = 0, top = 0, width = 0, height = 0;
    const char* text = nullptr;  // caption, label text or list items separated by '\n'
    bool visible = true;
    std::uint32_t style = 0;        // extra window style bits
    std::uint32_t value = 0;        // check box: checked; colour picker: colour; combo: selection
    const ListColumn* columns = nullptr;  // report lists
    int columnCount = 0;
    void (*attach)(void* hwnd) = nullptr;  // optional hook run once the control exists
    bool coloured = false;               // labels: textColour applies
    std::uint32_t textColour = 0;    // COLORREF
    bool handCursor = false;             // labels: the hand cursor over it
};

struct MenuTemplate {
    const char* caption;      // GBK; the hidden top-level entry
    const char* const* items;  // GBK captions in order; "-" is a separator
    int itemCount;
};

struct WindowTemplate {
    const char* title = nullptr;  // GBK; nullptr: no title
    int width = 0, height = 0;  // outer size
    bool minimizeBox = false, maximizeBox = false;
    bool taskbar = false;       // shown in the task bar (otherwise owned by its parent)
    bool escapeCloses = false;  // the Esc key closes it
    int defaultButton = 0;      // unit of the button Enter presses; 0: Enter presses none
    bool visible = true;       // shown when loaded
    int tabHeaderHeight = 0;  // tab controls: header height in pixels (0: default)
    const ControlTemplate* controls = nullptr;
    int controlCount = 0;
    const MenuTemplate* menus = nullptr;
    int menuCount = 0;
};

// The length of a template's control or menu table, as the template keeps it.
template <typename Entry, std::size_t N>
constexpr int countOf(const Entry (&)[N]) {
    return static_cast<int>(N);
}

constexpr int kWindowUnit = 0;
constexpr int kMenuUnitBase = 0x4000;
constexpr int menuItemUnit(int menu, int item) { return kMenuUnitBase + menu * 64 + item; }
constexpr bool isMenuUnit(int unit) { return unit >= kMenuUnitBase; }
