#include "runtime/win32/window.h"

#include <commctrl.h>

#include <algorithm>

#include "runtime/codepage.h"
#include "runtime/win32/program.h"

namespace {

constexpr const wchar_t* kWindowClass = L"QernoWindow";

std::vector<Window*>& loadedWindows() {
    static std::vector<Window*> list;
    return list;
}

bool registerWindowClass() {
    static bool done = false;
    if (done) return true;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_DATE_CLASSES |
                                              ICC_STANDARD_CLASSES};
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

// Splits a template text at '\n' (combo items, tab pages).
std::vector<Text> splitLines(const char* text) {
    std::vector<Text> lines;
    if (!text || !*text) return lines;
    std::string s(text);
    size_t start = 0;
    for (;;) {
        size_t end = s.find('\n', start);
        lines.emplace_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return lines;
        start = end + 1;
    }
}

// Esc closes the windows whose template asks for it (a close request as
// from the close box, so a close query still applies).
bool escapeFilter(MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
    Window* window = Window::fromHandle(msg.hwnd);
    if (!window || !window->layout().escapeCloses) return false;
    PostMessageW(window->handle(), WM_CLOSE, 0, 0);
    return true;
}

int tabOf(const WindowTemplate& layout, const ControlTemplate& c) {
    for (int unit = c.container; unit > 0;) {
        const ControlTemplate& parent = layout.controls[unit - 1];
        if (parent.kind == ControlKind::Tab) return unit;
        unit = parent.container;
    }
    return 0;
}

}  // namespace

Window::~Window() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void Window::setHandler(int unit, int event, Handler handler) {
    handlers_[{unit, event}] = std::move(handler);
}

std::optional<int> Window::raise(int unit, int event, int argument1, int argument2) {
    auto it = handlers_.find({unit, event});
    if (it == handlers_.end() || !it->second) return std::nullopt;
    Handler handler = it->second;  // the handler may replace itself
    return handler(argument1, argument2);
}

bool Window::hasUnit(int unit) const {
    if (unit == kWindowUnit) return true;
    if (isMenuUnit(unit)) {
        int menu = (unit - kMenuUnitBase) / 64, item = (unit - kMenuUnitBase) % 64;
        return menu < layout_.menuCount && item < layout_.menus[menu].itemCount;
    }
    return unit >= 1 && unit <= layout_.controlCount;
}

HWND Window::unitHandle(int unit) const {
    if (!hwnd_) return nullptr;
    if (unit == kWindowUnit) return hwnd_;
    if (unit < 1 || unit > static_cast<int>(units_.size())) return nullptr;
    return units_[unit - 1];
}

const ControlTemplate* Window::control(int unit) const {
    if (unit < 1 || unit > layout_.controlCount) return nullptr;
    return &layout_.controls[unit - 1];
}

Window* Window::fromHandle(HWND hwnd) {
    HWND root = GetAncestor(hwnd, GA_ROOT);
    for (Window* w : loadedWindows())
        if (w->hwnd_ == root) return w;
    return nullptr;
}

int Window::loadedCount() { return static_cast<int>(loadedWindows().size()); }

Window* Window::firstLoaded() {
    return loadedWindows().empty() ? nullptr : loadedWindows().front();
}

bool Window::create(HWND parent, bool modal) {
    if (hwnd_ || !registerWindowClass()) return hwnd_ != nullptr;
    setMessageFilter(escapeFilter);
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (layout_.minimizeBox) style |= WS_MINIMIZEBOX;
    if (layout_.maximizeBox) style |= WS_MAXIMIZEBOX;
    DWORD exStyle = layout_.taskbar ? WS_EX_APPWINDOW : 0;
    int x = (GetSystemMetrics(SM_CXSCREEN) - layout_.width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - layout_.height) / 2;
    std::wstring title = toWide(layout_.title ? layout_.title : "");
    HWND hwnd = CreateWindowExW(exStyle, kWindowClass, title.c_str(), style, x, y, layout_.width,
                                layout_.height, parent, nullptr, programInstance(), this);
    if (!hwnd) return false;
    closing_ = false;
    if (modal) {
        for (Window* other : loadedWindows())
            if (IsWindowEnabled(other->hwnd_)) {
                EnableWindow(other->hwnd_, FALSE);
                disabled_.push_back(other->hwnd_);
            }
    }
    loadedWindows().push_back(this);
    if (!createControls()) {
        DestroyWindow(hwnd);
        return false;
    }
    ready_ = true;
    raise(kWindowUnit, WindowEvent::Created);
    if (hwnd_) raise(kWindowUnit, WindowEvent::Moved);
    if (hwnd_) raise(kWindowUnit, WindowEvent::Resized);
    if (hwnd_ && layout_.visible) ShowWindow(hwnd_, SW_SHOW);
    return true;
}

void Window::requestClose() {
    if (!hwnd_) return;
    closing_ = true;
    PostMessageW(hwnd_, kCloseRequestMessage, 0, 0);
}

void Window::destroyNow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

POINT Window::origin(const ControlTemplate& c) const {
    POINT p{0, 0};
    for (int unit = c.container; unit > 0;) {
        const ControlTemplate& parent = layout_.controls[unit - 1];
        p.x += parent.left;
        p.y += parent.top;
        unit = parent.container;
    }
    return p;
}

bool Window::createControls() {
    units_.assign(layout_.controlCount, nullptr);
    for (int i = 0; i < layout_.controlCount; ++i) {
        units_[i] = createControl(layout_.controls[i], i + 1);
        if (!units_[i]) return false;
    }
    // Containers lie behind what they hold: frames, then tab controls, at
    // the bottom of the children's order (children are created top first).
    for (ControlKind kind : {ControlKind::Frame, ControlKind::Tab})
        for (int i = 0; i < layout_.controlCount; ++i)
            if (layout_.controls[i].kind == kind)
                SetWindowPos(units_[i], HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (int i = 0; i < layout_.controlCount; ++i) {
        const ControlTemplate& c = layout_.controls[i];
        if (c.attach) c.attach(units_[i]);
        if (c.kind == ControlKind::Tab) showPage(i + 1, 0);
    }
    return true;
}

HWND Window::createControl(const ControlTemplate& c, int unit) {
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    int height = c.height;
    switch (c.kind) {
    case ControlKind::Label: style |= SS_LEFT | SS_NOTIFY; break;
    case ControlKind::Frame: style |= SS_ETCHEDFRAME; break;
    case ControlKind::Picture: style |= SS_BITMAP; break;
    case ControlKind::Button: cls = L"BUTTON"; style |= BS_PUSHBUTTON | WS_TABSTOP; break;
    case ControlKind::CheckBox: cls = L"BUTTON"; style |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
    case ControlKind::Edit:
    case ControlKind::IntegerEdit:
        cls = L"EDIT";
        style |= ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::ComboList:
        cls = L"COMBOBOX";
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
        height = c.height + 200;  // the height of the dropped-down list
        break;
    case ControlKind::DatePicker: cls = DATETIMEPICK_CLASSW; style |= WS_TABSTOP; break;
    case ControlKind::ReportList:
        cls = WC_LISTVIEWW;
        style |= LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::Tab: cls = WC_TABCONTROLW; style |= WS_TABSTOP; break;
    case ControlKind::ColourPicker: cls = kColourPickerClass; style |= WS_TABSTOP; break;
    }
    style |= c.style;
    POINT o = origin(c);
    bool text = c.kind == ControlKind::Label || c.kind == ControlKind::Button ||
                c.kind == ControlKind::CheckBox || c.kind == ControlKind::Edit ||
                c.kind == ControlKind::IntegerEdit;
    std::wstring caption = text ? toWide(c.text ? c.text : "") : L"";
    HWND hwnd = CreateWindowExW(exStyle, cls, caption.c_str(), style, o.x + c.left, o.y + c.top,
                                c.width, height, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(unit)),
                                programInstance(), nullptr);
    if (!hwnd) return nullptr;
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    hookControl(hwnd);
    switch (c.kind) {
    case ControlKind::CheckBox: SendMessageW(hwnd, BM_SETCHECK, c.value ? BST_CHECKED : BST_UNCHECKED, 0); break;
    case ControlKind::ColourPicker: SendMessageW(hwnd, kColourPickerSet, c.value, 0); break;
    case ControlKind::ComboList: {
        for (const Text& item : splitLines(c.text))
            SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(item).c_str()));
        // The closed box's outer height is the item height plus 6 (its frame).
        SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), c.height - 6);
        SendMessageW(hwnd, CB_SETCURSEL, c.value, 0);
        break;
    }
    case ControlKind::DatePicker:
        if (c.text) SendMessageW(hwnd, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(toWide(c.text).c_str()));
        break;
    case ControlKind::ReportList:
        for (int i = 0; i < c.columnCount; ++i) {
            std::wstring title = toWide(c.columns[i].title);
            LVCOLUMNW col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            col.fmt = c.columns[i].align;
            col.cx = c.columns[i].width;
            col.pszText = title.data();
            SendMessageW(hwnd, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col));
        }
        SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                     LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        break;
    case ControlKind::Tab: {
        int index = 0;
        for (const Text& page : splitLines(c.text)) {
            std::wstring title = toWide(page);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = title.data();
            SendMessageW(hwnd, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
        }
        if (layout_.tabHeaderHeight > 0)
            SendMessageW(hwnd, TCM_SETITEMSIZE, 0, MAKELPARAM(0, layout_.tabHeaderHeight));
        break;
    }
    default: break;
    }
    if (c.visible && (c.page < 0 || c.page == 0)) ShowWindow(hwnd, SW_SHOWNA);
    return hwnd;
}

void Window::showPage(int tabUnit, int page) {
    for (int i = 0; i < layout_.controlCount; ++i) {
        const ControlTemplate& c = layout_.controls[i];
        if (c.page < 0 || tabOf(layout_, c) != tabUnit || !units_[i]) continue;
        ShowWindow(units_[i], c.visible && c.page == page ? SW_SHOWNA : SW_HIDE);
    }
}

LRESULT CALLBACK Window::proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* created = reinterpret_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        created->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return self->onMessage(msg, wp, lp);
}

LRESULT Window::onMessage(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = hwnd_;
    switch (msg) {
    case WM_COMMAND: return onCommand(wp, lp);
    case WM_NOTIFY: return onNotify(reinterpret_cast<const NMHDR*>(lp));
    case WM_CLOSE: return onClose();
    case kCloseRequestMessage: DestroyWindow(hwnd); return 0;
    case WM_SIZE: onSize(); break;
    case WM_MOVE: onMove(); break;
    case WM_CTLCOLORSTATIC: return onLabelColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_DESTROY: onDestroy(); break;
    case WM_NCDESTROY: onNcDestroy(); break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT Window::onCommand(WPARAM wp, LPARAM lp) {
    int unit = LOWORD(wp);
    if (lp == 0) {  // a menu command (popup menus only; accelerators are none)
        if (isMenuUnit(unit) && hasUnit(unit)) raise(unit, ControlEvent::Clicked);
        return 0;
    }
    const ControlTemplate* c = control(unit);
    if (!c) return 0;
    int code = HIWORD(wp);
    if ((c->kind == ControlKind::Button || c->kind == ControlKind::CheckBox) && code == BN_CLICKED)
        raise(unit, ControlEvent::Clicked);
    if (c->kind == ControlKind::ComboList && code == CBN_SELCHANGE)
        raise(unit, ControlEvent::SelectionChanged,
              static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lp), CB_GETCURSEL, 0, 0)));
    return 0;
}

LRESULT Window::onNotify(const NMHDR* header) {
    int unit = static_cast<int>(header->idFrom);
    const ControlTemplate* c = control(unit);
    if (!c || header->hwndFrom != unitHandle(unit)) return DefWindowProcW(hwnd_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(header));
    if (c->kind == ControlKind::Tab && header->code == TCN_SELCHANGE) {
        int page = static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
        showPage(unit, page);
        raise(unit, ControlEvent::SelectionChanged, page);
    } else if (c->kind == ControlKind::ReportList && header->code == NM_RCLICK) {
        raise(unit, ControlEvent::ListRightClick, reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
    }
    return 0;
}

LRESULT Window::onClose() {
    std::optional<int> keep = raise(kWindowUnit, WindowEvent::CloseQuery);
    if (keep && *keep == 0) return 0;
    DestroyWindow(hwnd_);
    return 0;
}

void Window::onSize() {
    if (ready_) raise(kWindowUnit, WindowEvent::Resized);
}

void Window::onMove() {
    if (ready_) raise(kWindowUnit, WindowEvent::Moved);
}

LRESULT Window::onLabelColour(HDC dc, HWND label) {
    const ControlTemplate* c = control(GetDlgCtrlID(label));
    if (!c || !c->coloured || unitHandle(GetDlgCtrlID(label)) != label)
        return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
    SetTextColor(dc, c->textColour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void Window::onDestroy() {
    raise(kWindowUnit, WindowEvent::Destroying);
}

void Window::onNcDestroy() {
    for (HWND other : disabled_)
        if (IsWindow(other)) EnableWindow(other, TRUE);
    disabled_.clear();
    ready_ = false;
    hwnd_ = nullptr;
    closing_ = false;
    units_.clear();
    auto& list = loadedWindows();
    auto gone = std::remove(list.begin(), list.end(), this);
    bool wasLoaded = gone != list.end();
    list.erase(gone, list.end());
    if (wasLoaded && list.empty() && !programEnding()) PostQuitMessage(0);
}

// Every control's procedure is replaced by controlProc; the owning window
// and the class's own procedure are kept in the control's user data.
// (comctl32's SetWindowSubclass keeps them in a window property instead, and
// under Wine each property read is a round trip to the server, a dozen or
// more per host-list update.)
struct Window::ControlHook {
    Window* owner;
    WNDPROC previous;
};

void Window::hookControl(HWND control) {
    auto* hook = new ControlHook{this, nullptr};
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(hook));
    hook->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::controlProc)));
}

LRESULT CALLBACK Window::controlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* hook = reinterpret_cast<ControlHook*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!hook) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg != WM_NCDESTROY) return hook->owner->onControlMessage(hwnd, msg, wp, lp, hook->previous);
    // The control's last message: its class cleans up, then the hook goes.
    const LRESULT result = CallWindowProcW(hook->previous, hwnd, msg, wp, lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    delete hook;
    return result;
}

LRESULT Window::onControlMessage(HWND control, UINT msg, WPARAM wp, LPARAM lp, WNDPROC classProc) {
    int unit = GetDlgCtrlID(control);
    const ControlTemplate* c = this->control(unit);
    int mouseEvent = 1;  // none
    switch (msg) {
    case WM_LBUTTONDOWN: mouseEvent = ControlEvent::LeftButtonDown; break;
    case WM_LBUTTONUP: mouseEvent = ControlEvent::LeftButtonUp; break;
    case WM_LBUTTONDBLCLK: mouseEvent = ControlEvent::DoubleClick; break;
    case WM_RBUTTONDOWN: mouseEvent = ControlEvent::RightButtonDown; break;
    case WM_RBUTTONUP: mouseEvent = ControlEvent::RightButtonUp; break;
    case kReportMessage:
        if (c && c->kind == ControlKind::Label)
            return raise(unit, ControlEvent::Report, static_cast<int>(wp), static_cast<int>(lp)).value_or(0);
        break;
    case WM_SETCURSOR:
        if (c && c->handCursor) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_DESTROY:
        if (c && c->kind == ControlKind::Picture) {
            // The picture box owns the bitmap its template's hook gave it.
            auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
            if (bitmap) DeleteObject(bitmap);
        }
        break;
    }
    LRESULT result = CallWindowProcW(classProc, control, msg, wp, lp);
    if (mouseEvent != 1 && c)
        raise(unit, mouseEvent, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
    return result;
}
