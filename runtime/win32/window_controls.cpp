// Building a window's controls from its template.
#include "runtime/win32/window.h"

#include <commctrl.h>

#include "runtime/codepage.h"
#include "runtime/win32/program.h"

namespace {

// A drop-down list's window height includes its dropped-down list.
constexpr int kDroppedListHeight = 200;
// The closed box's outer height is the item height plus its frame.
constexpr int kComboFrameHeight = 6;

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

// The tab control whose pages show the control (its nearest tab container);
// 0 when it lies in none.
int tabOf(const WindowTemplate& layout, const ControlTemplate& c) {
    for (int unit = c.container; unit > 0;) {
        const ControlTemplate& parent = layout.controls[unit - 1];
        if (parent.kind == ControlKind::Tab) return unit;
        unit = parent.container;
    }
    return 0;
}

}  // namespace

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
    // Date pickers lie above everything: a neighbour's box that overlaps one
    // (the log page's "时间：" check box reaches over the start date) would
    // cover its first digit and take the clicks meant for it.
    for (int i = 0; i < layout_.controlCount; ++i)
        if (layout_.controls[i].kind == ControlKind::DatePicker)
            SetWindowPos(units_[i], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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
    case ControlKind::Button:
        cls = L"BUTTON";
        // The default button shows that Enter presses it (dialog_keys.cpp).
        style |= (unit == layout_.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
        break;
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
        height = c.height + kDroppedListHeight;
        break;
    case ControlKind::DatePicker: cls = DATETIMEPICK_CLASSW; style |= WS_TABSTOP; break;
    case ControlKind::ReportList:
        cls = WC_LISTVIEWW;
        style |= LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::Tab: cls = WC_TABCONTROLW; style |= WS_TABSTOP; break;
    case ControlKind::ColourPicker: cls = kColourPickerClass; style |= WS_TABSTOP; break;
    case ControlKind::ProgressBar: cls = PROGRESS_CLASSW; break;
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
        SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), c.height - kComboFrameHeight);
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

