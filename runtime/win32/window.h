// Window: one window kind of the program, built from its template when
// loaded, destroyed when closed, loadable again. Its procedure only routes:
// each message becomes an event (window, unit, event number, two arguments)
// looked up in the window's handler table. Windows only.
//
// Threads: everything here belongs to the user-interface thread, except that
// any thread may post message 0x8075 to a label (the report of a monitor
// task), which raises the label's event 0 on the user-interface thread.
//
// The object lives as long as the program (the window kinds are globals);
// its handler table outlives the window, so handlers are set once.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "runtime/win32/window_template.h"

// Event numbers. The window's own unit:
namespace WindowEvent {
constexpr int Created = 0;
constexpr int CloseQuery = 1;  // a handler returning 0 keeps the window open
constexpr int Destroying = 2;
constexpr int Moved = 3;
constexpr int Resized = 4;
}  // namespace WindowEvent

// Controls and menu items. Mouse events run after the control's own handling
// of the message (so a list view has selected the row under a double click).
namespace ControlEvent {
constexpr int Clicked = 0;           // button, check box, menu item chosen
constexpr int Report = 0;            // label: message 0x8075 (wParam, lParam)
constexpr int SelectionChanged = 0;  // combo list, tab control (new index)
constexpr int ListRightClick = 1;    // report list: right click on a row or empty space
constexpr int LeftButtonDown = -1;   // arguments: x, y in client coordinates
constexpr int LeftButtonUp = -2;
constexpr int DoubleClick = -3;
constexpr int RightButtonDown = -4;
constexpr int RightButtonUp = -5;
}  // namespace ControlEvent

// The message a monitor task posts to a label (wParam, lParam are its block).
constexpr UINT kReportMessage = 0x8075;
// The close request destroyWindow posts.
constexpr UINT kCloseRequestMessage = 0x8065;
// Colour picker messages: set (wParam: COLORREF), get (result: COLORREF).
constexpr UINT kColourPickerSet = WM_USER + 0x101;
constexpr UINT kColourPickerGet = WM_USER + 0x102;
// Window class of the colour picker (registered by the user-interface layer).
constexpr const wchar_t* kColourPickerClass = L"QernoColourPicker";

class Window {
public:
    // Arguments are the event's two 32-bit values; a handler returns a value
    // only when it means one (std::nullopt: the event's default applies).
    using Handler = std::function<std::optional<int>(int argument1, int argument2)>;

    explicit Window(const WindowTemplate& layout) : layout_(layout) {}
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void setHandler(int unit, int event, Handler handler);
    std::optional<int> raise(int unit, int event, int argument1 = 0, int argument2 = 0);

    const WindowTemplate& layout() const { return layout_; }
    bool loaded() const { return hwnd_ != nullptr; }
    bool closing() const { return closing_; }
    HWND handle() const { return hwnd_; }
    bool hasUnit(int unit) const;
    // The unit's window handle; nullptr when not loaded or no such unit.
    HWND unitHandle(int unit) const;
    const ControlTemplate* control(int unit) const;  // nullptr for unit 0 and menu items

    // Creates the window (owner: parent, may be nullptr), raises events 0, 3
    // and 4 and shows it when the template says so. False when creation failed.
    // modal: the other loaded windows are disabled until this one is gone.
    bool create(HWND parent, bool modal = false);
    void requestClose();  // posts the close request
    void destroyNow();    // destroys at once (a closing window loaded again)

    // Shows the controls of one page of a tab control and hides the others'.
    void showPage(int tabUnit, int page);

    // The window whose template closes on Esc, for a message's target window.
    static Window* fromHandle(HWND hwnd);
    // How many windows are loaded (the last one's end posts WM_QUIT).
    static int loadedCount();
    static Window* firstLoaded();  // nullptr when none is loaded

    // The class procedure of every window: routes to the object stored from
    // lpCreateParams in GWLP_USERDATA.
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    struct ControlHook;
    void hookControl(HWND control);
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT onMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT onControlMessage(HWND control, UINT msg, WPARAM wp, LPARAM lp, WNDPROC classProc);
    LRESULT onCommand(WPARAM wp, LPARAM lp);
    LRESULT onNotify(const NMHDR* header);
    LRESULT onClose();
    void onDestroy();
    void onNcDestroy();
    LRESULT onLabelColour(HDC dc, HWND label);
    void onSize();
    void onMove();

    bool createControls();
    HWND createControl(const ControlTemplate& c, int unit);
    POINT origin(const ControlTemplate& c) const;

    const WindowTemplate& layout_;
    HWND hwnd_ = nullptr;
    bool closing_ = false;
    bool ready_ = false;  // events flow only after the load's own events
    std::vector<HWND> units_;  // index: unit - 1
    std::vector<HWND> disabled_;  // windows a modal load disabled
    std::map<std::pair<int, int>, Handler> handlers_;
};
