// Window: one window kind of the program, built from its template when
// loaded, destroyed when closed, loadable again. Its procedure only routes:
// each message becomes an event (window, unit, event number, two arguments)
// looked up in the window's handler table. Windows only.
//
// Threads: everything here belongs to the user-interface thread, except that
// any thread may post message 0x8075 to a label (the report of a monitor
// task), which raises the label's Report event on the user-interface thread.
//
// The engine's jobs each have a file: window_class.cpp (the window class),
// window_modal.cpp (loaded windows, modal disabling), window_controls.cpp
// (building controls from the template), window_routing.cpp (the window's
// messages to events), window_control_hook.cpp (the controls' own messages
// to events), dialog_keys.cpp (Tab, Enter and Esc).
//
// The object lives as long as the program (the window kinds are globals);
// its handler table outlives the window, so handlers are set once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "runtime/ui_post.h"
#include "runtime/win32/subclass.h"
#include "runtime/win32/window_template.h"

// Events. Every event has a number of its own, window and control events
// alike, so an entry of a window's handler table names one event only.
// The window's own unit:
enum class WindowEvent : int {
    Created = 1,
    CloseQuery,  // a handler returning 0 keeps the window open
    Destroying,
    Moved,
    Resized,
    SessionEnding,  // WM_ENDSESSION: Windows is ending the session now
};

// Controls and menu items. Mouse events run after the control's own handling
// of the message (so a list view has selected the row under a double click).
enum class ControlEvent : int {
    Clicked = 101,     // button, check box, menu item chosen
    Report,            // label: message 0x8075 (wParam, lParam)
    SelectionChanged,  // combo list, tab control (new index)
    ListRightClick,    // report list: right click on a row or empty space
    LeftButtonDown,    // mouse events: x, y in client coordinates
    LeftButtonUp,
    DoubleClick,
    RightButtonDown,
    RightButtonUp,
};

// The message a monitor task posts to a label (wParam, lParam are its block).
constexpr UINT kReportMessage = kStatusReportMessage;
// The close request destroyWindow posts.
constexpr UINT kCloseRequestMessage = 0x8065;
// Colour picker messages: set (wParam: COLORREF), get (result: COLORREF).
constexpr UINT kColourPickerSet = WM_USER + 0x101;
constexpr UINT kColourPickerGet = WM_USER + 0x102;
// Window class of the colour picker (registered by the user-interface layer).
constexpr const wchar_t* kColourPickerClass = L"QernoColourPicker";

// How a menu item looks when its menu pops up, where that depends on the
// program's state ("暂停提醒" becoming "恢复提醒", a check mark on a muted
// host). text empty: the template's caption.
struct MenuItemLook {
    Text text;
    bool checked = false;
};

class Window {
public:
    // Arguments are the event's two values, each a machine word (a report's
    // hand-off block is an address); a handler returns a value only when it
    // means one (std::nullopt: the event's default applies).
    using Handler = std::function<std::optional<int>(std::intptr_t argument1, std::intptr_t argument2)>;

    explicit Window(const WindowTemplate& layout) : layout_(layout) {}
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void setHandler(WindowEvent event, Handler handler);
    void setHandler(int unit, ControlEvent event, Handler handler);
    std::optional<int> raise(WindowEvent event, std::intptr_t argument1 = 0, std::intptr_t argument2 = 0);
    std::optional<int> raise(int unit, ControlEvent event, std::intptr_t argument1 = 0,
                             std::intptr_t argument2 = 0);

    // The look of menu items decided when their menu pops up: called for
    // every item (its unit); without one every item shows its caption.
    using MenuLook = std::function<MenuItemLook(int unit)>;
    void setMenuLook(MenuLook look) { menuLook_ = std::move(look); }
    const MenuLook& menuLook() const { return menuLook_; }

    const WindowTemplate& layout() const { return layout_; }
    bool loaded() const { return hwnd_ != nullptr; }
    bool closing() const { return closing_; }
    HWND handle() const { return hwnd_; }
    bool hasUnit(int unit) const;
    // The unit's window handle; nullptr when not loaded or no such unit.
    HWND unitHandle(int unit) const;
    const ControlTemplate* control(int unit) const;  // nullptr for unit 0 and menu items

    // Creates the window (owner: parent, may be nullptr), raises Created,
    // Moved and Resized and shows it when the template says so. False when creation failed.
    // modal: the other loaded windows are disabled until this one is gone.
    bool create(HWND parent, bool modal = false);
    void requestClose();  // posts the close request
    void destroyNow();    // destroys at once (a closing window loaded again)

    // Shows the controls of one page of a tab control and hides the others'.
    void showPage(int tabUnit, int page);

    // The loaded window that hwnd is or lies in; nullptr when none.
    static Window* fromHandle(HWND hwnd);
    // How many windows are loaded (the last one's end posts WM_QUIT).
    static int loadedCount();
    static Window* firstLoaded();  // nullptr when none is loaded

    // The class procedure of every window: routes to the object stored from
    // lpCreateParams in GWLP_USERDATA.
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // A message of one of the window's controls, from the controls' hook.
    LRESULT routeControlMessage(const SubclassCall& call);

private:
    std::optional<int> raiseEvent(int unit, int event, std::intptr_t argument1, std::intptr_t argument2);

    // window_modal.cpp
    void noteLoaded(bool modal);
    void noteUnloaded();

    // window_control_hook.cpp
    void hookControl(HWND control);

    // window_routing.cpp
    LRESULT onMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT onCommand(WPARAM wp, LPARAM lp);
    LRESULT onNotify(const NMHDR* header);
    LRESULT onClose();
    void onDestroy();
    void onNcDestroy();
    LRESULT onLabelColour(HDC dc, HWND label);
    void onSize();
    void onMove();
    void onEndSession(bool ending);

    // window_controls.cpp
    bool createControls();
    HWND createControl(const ControlTemplate& c, int unit);
    POINT origin(const ControlTemplate& c) const;

    const WindowTemplate& layout_;
    HWND hwnd_ = nullptr;
    bool closing_ = false;
    bool ready_ = false;  // events flow only after the load's own events
    std::vector<HWND> units_;  // index: unit - 1
    std::vector<HWND> disabled_;  // windows a modal load disabled
    std::map<std::pair<int, int>, Handler> handlers_;  // key: unit, event number
    MenuLook menuLook_;
};

// The one Window of a window kind, made from its template on first use and
// kept for the program's life.
template <const WindowTemplate& Layout>
Window& windowOf() {
    static Window window(Layout);
    return window;
}
