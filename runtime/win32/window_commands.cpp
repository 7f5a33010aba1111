#include "runtime/win32/window_commands.h"

#include <commctrl.h>

#include "runtime/codepage.h"
#include "runtime/datetime.h"
#include "runtime/runtime_error.h"

namespace {

[[noreturn]] void noSuchUnit() { raiseRuntimeError({0, "指定窗口或窗口组件不存在或尚未载入"}); }

HWND resolve(Unit unit) {
    if (!unit.window || !unit.window->hasUnit(unit.id)) noSuchUnit();
    HWND hwnd = unit.window->unitHandle(unit.id);
    if (!hwnd && !isMenuUnit(unit.id)) noSuchUnit();
    return hwnd;
}

// Property access has messages of its own for a window that is not loaded.
HWND resolveForProperty(Unit unit) {
    if (!unit.window || !unit.window->hasUnit(unit.id) || isMenuUnit(unit.id)) noSuchUnit();
    if (!unit.window->loaded())
        raiseRuntimeError({0, unit.id == kWindowUnit ? "指定窗口尚未载入" : "未载入欲访问窗口组件所在的窗口"});
    return unit.window->unitHandle(unit.id);
}

ControlKind kindOf(Unit unit) {
    const ControlTemplate* c = unit.window->control(unit.id);
    return c ? c->kind : ControlKind::Frame;
}

int asInt(const Value& value) {
    if (auto v = std::get_if<std::int32_t>(&value)) return *v;
    if (auto v = std::get_if<bool>(&value)) return *v ? 1 : 0;
    if (auto v = std::get_if<std::int64_t>(&value)) return static_cast<int>(*v);
    if (auto v = std::get_if<std::int16_t>(&value)) return *v;
    if (auto v = std::get_if<std::uint8_t>(&value)) return *v;
    if (auto v = std::get_if<double>(&value)) return static_cast<int>(*v);
    return 0;
}

std::wstring wideWindowText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), n + 1);
    return text;
}

Text windowText(HWND hwnd) { return fromWide(wideWindowText(hwnd).c_str()); }

RECT outerRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    if (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void centreOnScreen(HWND hwnd) {
    RECT r = outerRect(hwnd);
    int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void setWindowPosition(HWND hwnd, int position) {
    if (!IsWindowVisible(hwnd)) return;
    switch (position) {
    case WindowPosition::Normal: ShowWindow(hwnd, SW_SHOWNORMAL); break;
    case WindowPosition::RestoreAndCentre:
        // A window minimised from maximised restores to maximised; the second
        // restore brings it to its normal size, which is what gets centred.
        if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
        if (IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
        centreOnScreen(hwnd);
        break;
    case WindowPosition::Minimised: ShowWindow(hwnd, SW_MINIMIZE); break;
    case WindowPosition::Maximised: ShowWindow(hwnd, SW_MAXIMIZE); break;
    default: break;
    }
}

SYSTEMTIME toSystemTime(DateTime value) {
    CivilTime c = civilFromDateTime(value);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(c.year);
    st.wMonth = static_cast<WORD>(c.month);
    st.wDay = static_cast<WORD>(c.day);
    st.wHour = static_cast<WORD>(c.hour);
    st.wMinute = static_cast<WORD>(c.minute);
    st.wSecond = static_cast<WORD>(c.second);
    return st;
}

DateTime fromSystemTime(const SYSTEMTIME& st) {
    return dateTimeFromCivil({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond});
}

class PopupMenu {
public:
    PopupMenu() : menu_(CreatePopupMenu()) {}
    ~PopupMenu() { if (menu_) DestroyMenu(menu_); }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    HMENU get() const { return menu_; }

private:
    HMENU menu_;
};

}  // namespace

bool loadWindow(Window& window, Window* parent, bool modal) {
    if (window.loaded() && window.closing()) window.destroyNow();
    if (window.loaded()) {
        HWND hwnd = window.handle();
        if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
        else SetForegroundWindow(hwnd);
        return true;
    }
    if (parent && !parent->loaded()) return false;
    HWND owner = parent ? parent->handle() : nullptr;
    if (!owner && !modal && !window.layout().taskbar && Window::firstLoaded())
        owner = Window::firstLoaded()->handle();
    return window.create(modal ? nullptr : owner, modal);
}

void destroyWindow(Window& window) {
    if (!window.loaded()) noSuchUnit();
    window.requestClose();
}

HWND windowHandle(Unit unit) { return resolve(unit); }

int clientWidth(Unit unit) {
    RECT r{};
    GetClientRect(resolve(unit), &r);
    return r.right - r.left;
}

int clientHeight(Unit unit) {
    RECT r{};
    GetClientRect(resolve(unit), &r);
    return r.bottom - r.top;
}

int sendMessage(Unit unit, int message, int wParam, int lParam) {
    return static_cast<int>(SendMessageW(resolve(unit), static_cast<UINT>(message),
                                         static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)));
}

void setProperty(Unit unit, int property, const Value& value) {
    HWND hwnd = resolveForProperty(unit);
    bool isWindow = unit.id == kWindowUnit;
    ControlKind kind = kindOf(unit);
    RECT r = outerRect(hwnd);
    switch (property) {
    case Property::Left:
    case Property::Top:
        SetWindowPos(hwnd, nullptr, property == Property::Left ? asInt(value) : r.left,
                     property == Property::Top ? asInt(value) : r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    case Property::Width:
    case Property::Height:
        SetWindowPos(hwnd, nullptr, 0, 0, property == Property::Width ? asInt(value) : r.right - r.left,
                     property == Property::Height ? asInt(value) : r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    case Property::Visible: ShowWindow(hwnd, asInt(value) ? SW_SHOW : SW_HIDE); return;
    case Property::TextSlot:
        if (!isWindow && kind == ControlKind::ColourPicker) {
            SendMessageW(hwnd, kColourPickerSet, static_cast<WPARAM>(asInt(value)), 0);
        } else if (auto text = std::get_if<Text>(&value)) {
            SetWindowTextW(hwnd, toWide(*text).c_str());
        }
        return;
    case Property::DateValue:
        if (auto date = std::get_if<DateTime>(&value); date && kind == ControlKind::DatePicker && !isWindow) {
            SYSTEMTIME st = toSystemTime(*date);
            SendMessageW(hwnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
        }
        return;
    case Property::StateSlot:
        if (isWindow) setWindowPosition(hwnd, asInt(value));
        else if (kind == ControlKind::CheckBox)
            SendMessageW(hwnd, BM_SETCHECK, asInt(value) ? BST_CHECKED : BST_UNCHECKED, 0);
        return;
    case Property::ComboSelection:
        if (kind == ControlKind::ComboList && !isWindow) SendMessageW(hwnd, CB_SETCURSEL, asInt(value), 0);
        return;
    default: return;
    }
}

Value getProperty(Unit unit, int property) {
    HWND hwnd = resolveForProperty(unit);
    bool isWindow = unit.id == kWindowUnit;
    ControlKind kind = kindOf(unit);
    RECT r = outerRect(hwnd);
    switch (property) {
    case Property::Left: return static_cast<std::int32_t>(r.left);
    case Property::Top: return static_cast<std::int32_t>(r.top);
    case Property::Width: return static_cast<std::int32_t>(r.right - r.left);
    case Property::Height: return static_cast<std::int32_t>(r.bottom - r.top);
    case Property::Visible: return IsWindowVisible(hwnd) != FALSE;
    case Property::TextSlot:
        if (!isWindow && kind == ControlKind::ColourPicker)
            return static_cast<std::int32_t>(SendMessageW(hwnd, kColourPickerGet, 0, 0));
        return windowText(hwnd);
    case Property::DateValue:
        if (!isWindow && kind == ControlKind::DatePicker) {
            SYSTEMTIME st{};
            if (SendMessageW(hwnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID)
                return fromSystemTime(st);
        }
        return std::monostate{};
    case Property::StateSlot:
        if (isWindow)
            return static_cast<std::int32_t>(IsIconic(hwnd)   ? WindowPosition::Minimised
                                             : IsZoomed(hwnd) ? WindowPosition::Maximised
                                                              : WindowPosition::Normal);
        if (kind == ControlKind::CheckBox) return SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
        return std::monostate{};
    case Property::ComboSelection:
        if (!isWindow && kind == ControlKind::ComboList)
            return static_cast<std::int32_t>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
        return std::monostate{};
    case Property::FirstSelected:
        if (!isWindow && kind == ControlKind::ReportList)
            return static_cast<std::int32_t>(SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        return std::monostate{};
    default: return std::monostate{};
    }
}

bool textReadsExactly(Unit unit) { return wideFitsGbk(wideWindowText(resolveForProperty(unit)).c_str()); }

int comboItemData(Unit combo, int index) {
    HWND hwnd = resolve(combo);
    if (index < 0 || index >= SendMessageW(hwnd, CB_GETCOUNT, 0, 0)) return -1;
    return static_cast<int>(SendMessageW(hwnd, CB_GETITEMDATA, index, 0));
}

void popupMenu(Window& window, int menu) {
    POINT p{};
    GetCursorPos(&p);
    popupMenu(window, menu, p.x + 3, p.y + 3);
}

void popupMenu(Window& window, int menu, int x, int y) {
    HWND owner = resolve(unitOf(window));
    const WindowTemplate& layout = window.layout();
    if (menu < 0 || menu >= layout.menuCount) noSuchUnit();
    const MenuTemplate& m = layout.menus[menu];
    PopupMenu popup;
    for (int i = 0; i < m.itemCount; ++i) {
        if (Text(m.items[i]) == "-") {
            AppendMenuW(popup.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const int unit = menuItemUnit(menu, i);
        MenuItemLook look;
        if (window.menuLook()) look = window.menuLook()(unit);
        const Text& caption = look.text.empty() ? Text(m.items[i]) : look.text;
        AppendMenuW(popup.get(), MF_STRING | (look.checked ? MF_CHECKED : MF_UNCHECKED), unit,
                    toWide(caption).c_str());
    }
    // Without the foreground the menu would not close on a click elsewhere
    // (a menu of the notification icon); the null message ends its loop cleanly.
    SetForegroundWindow(owner);
    TrackPopupMenu(popup.get(), TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
}
