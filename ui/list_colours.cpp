#include "ui/list_colours.h"

#include <commctrl.h>

#include <map>
#include <utility>

#include "runtime/convert.h"
#include "runtime/win32/automation.h"
#include "runtime/win32/subclass.h"
#include "ui/ui_state.h"

namespace {

constexpr wchar_t kOldProcProperty[] = L"oldWndProc";

// ---- stores -------------------------------------------------------------

Text cellTag(int row, int column) { return "Item" + toText(row) + "." + toText(column); }

// The document is written by this store alone, so the store knows every
// element in it: each cell's element and colours are kept beside the
// document as they are set. Custom drawing looks up every cell it paints,
// most of them uncoloured; a lookup by tag name walks the whole document
// and reading an attribute is an automation call, so lookups are answered
// from memory and the document only gains what set() writes.
class XmlColourStore : public CellColourStore {
public:
    XmlColourStore(ComObject document, ComObject root)
        : document_(std::move(document)), root_(std::move(root)) {}

    // Each automation call costs tens of microseconds under Wine, and with
    // thousands of hosts a colour changes many times a second. An element's
    // "Row" and "Column" never change (its tag name holds them), and an
    // attribute set again to its value changes nothing, so an existing
    // element only has the colours that differ set again; its order among
    // the attributes stays as first set.
    void set(int row, int column, COLORREF text, COLORREF back) override {
        const std::pair<int, int> key{row, column};
        auto known = cells_.find(key);
        const bool made = known == cells_.end();
        if (made) {
            ComObject element = callObjectMethod(document_, "createElement", {cellTag(row, column)});
            if (isEmptyObject(element)) return;
            known = cells_.emplace(key, Cell{std::move(element), 0, 0}).first;
            callMethod(known->second.element, "setAttribute", {"Row", row});
            callMethod(known->second.element, "setAttribute", {"Column", column});
        }
        Cell& cell = known->second;
        if (made || cell.text != text) callMethod(cell.element, "setAttribute", {"clrText", static_cast<int>(text)});
        if (made || cell.back != back) callMethod(cell.element, "setAttribute", {"clrTextBk", static_cast<int>(back)});
        callMethod(root_, "appendChild", {cell.element});  // an existing cell moves to the end
        cell.text = text;
        cell.back = back;
    }

    bool find(int row, int column, COLORREF& text, COLORREF& back) override {
        auto known = cells_.find({row, column});
        if (known == cells_.end()) return false;
        text = known->second.text;
        back = known->second.back;
        return true;
    }

    int cellCount() override {
        ComObject children = getObjectProperty(root_, "childNodes");
        return static_cast<int>(callNumberMethod(children, "length"));
    }

private:
    struct Cell {
        ComObject element;
        COLORREF text;
        COLORREF back;
    };
    ComObject document_;
    ComObject root_;
    std::map<std::pair<int, int>, Cell> cells_;
};

class MemoryColourStore : public CellColourStore {
public:
    void set(int row, int column, COLORREF text, COLORREF back) override {
        cells_[{row, column}] = {text, back};
    }
    bool find(int row, int column, COLORREF& text, COLORREF& back) override {
        auto it = cells_.find({row, column});
        if (it == cells_.end()) return false;
        text = it->second.first;
        back = it->second.second;
        return true;
    }
    int cellCount() override { return static_cast<int>(cells_.size()); }

private:
    std::map<std::pair<int, int>, std::pair<COLORREF, COLORREF>> cells_;
};

// Only the cell repaints: with every host's latency cell changing colour,
// a whole-list repaint per change made each paint cost the list's length.
// The window system merges the rectangles into one paint. A cell the list
// cannot place repaints the whole list, as before. A cell out of sight
// asks for nothing: under Wine each request is a round trip to the server,
// and of thousands of rows a few dozen are in sight; the list paints the
// others when they scroll in.
void invalidateCell(HWND listView, int row, int column) {
    RECT cell{}, client{}, seen{};
    if (!ListView_GetSubItemRect(listView, row, column, LVIR_BOUNDS, &cell)) {
        InvalidateRect(listView, nullptr, TRUE);
        return;
    }
    GetClientRect(listView, &client);
    if (IntersectRect(&seen, &cell, &client)) InvalidateRect(listView, &cell, TRUE);
}

}  // namespace

std::unique_ptr<CellColourStore> createXmlColourStore(HWND parent, HWND listView) {
    ComObject document;
    if (!createObject(document, "Microsoft.XMLDOM") && !createObject(document, "MSXML.DOMDocument"))
        return nullptr;
    ComObject root = callObjectMethod(document, "createElement", {"LVINFO"});
    if (isEmptyObject(root)) return nullptr;
    callMethod(root, "setAttribute", {"hParent", static_cast<int>(reinterpret_cast<INT_PTR>(parent))});
    callMethod(root, "setAttribute", {"hWnd", static_cast<int>(reinterpret_cast<INT_PTR>(listView))});
    callMethod(document, "appendChild", {root});
    return std::make_unique<XmlColourStore>(std::move(document), std::move(root));
}

std::unique_ptr<CellColourStore> createMemoryColourStore() {
    return std::make_unique<MemoryColourStore>();
}

ListColours::~ListColours() {
    for (HWND parent : rowHeightParents_) removeSubclass<rowHeightProc>(parent);
    for (HWND parent : customDrawParents_)
        if (removeSubclass<customDrawProc>(parent)) RemovePropW(parent, kOldProcProperty);
}

LRESULT ListColours::rowHeightProc(const SubclassCall& call, void* self) {
    if (call.msg == WM_MEASUREITEM)
        reinterpret_cast<MEASUREITEMSTRUCT*>(call.lp)->itemHeight = static_cast<ListColours*>(self)->rowHeight_;
    return call.next();
}

LRESULT ListColours::customDrawProc(const SubclassCall& call, void* self) {
    return static_cast<ListColours*>(self)->customDraw(call);
}

// The "oldWndProc" property records the previous procedure, but messages
// take it from the subclass chain in memory: under Wine every property read
// is a round trip to the server, and the parent gets one message per list
// notification and one per painted cell.
LRESULT ListColours::customDraw(const SubclassCall& call) {
    if (call.msg != WM_NOTIFY) return call.next();
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(call.lp);
    if (draw->nmcd.hdr.code != NM_CUSTOMDRAW) return call.next();
    for (ColourEntry& e : colourLists_) {
        if (e.listView != draw->nmcd.hdr.hwndFrom) continue;
        switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            COLORREF text = 0, back = 0;
            if (e.store->find(static_cast<int>(draw->nmcd.dwItemSpec), draw->iSubItem, text, back)) {
                draw->clrText = text;
                draw->clrTextBk = back;
                // The list paints its selection band (grey without the focus,
                // since it keeps the selection shown) over a selected item's
                // colours; the cell's colour is its latency class, which must
                // stay readable on the selected row. The other cells keep the band.
                draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
                return call.next();
            }
            draw->clrText = ListView_GetTextColor(e.listView);
            draw->clrTextBk = ListView_GetBkColor(e.listView);
            break;
        }
        default: break;
        }
    }
    return call.next();
}

void ListColours::setRowHeight(HWND parent, HWND listView, int height) {
    if (!hasSubclass<rowHeightProc>(parent) && addSubclass<rowHeightProc>(parent, this))
        rowHeightParents_.push_back(parent);
    rowHeight_ = height;
    // An owner-drawn-fixed list asks its parent for the item height when its
    // position changes; it keeps the answer after the style is put back.
    const LONG_PTR style = GetWindowLongPtrW(listView, GWL_STYLE);
    SetWindowLongPtrW(listView, GWL_STYLE, style | LVS_OWNERDRAWFIXED);
    WINDOWPOS position{};
    position.hwnd = listView;
    SendMessageW(listView, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
    SetWindowLongPtrW(listView, GWL_STYLE, style);
    SendMessageW(listView, LVM_UPDATE, 0, 0);
}

void ListColours::setCellColours(HWND parent, HWND listView, int row, int column, COLORREF text,
                                 COLORREF back) {
    // The chain in memory answers for the parents this object hooked; only a
    // parent it has not hooked costs a property read.
    if (!hasSubclass<customDrawProc>(parent) && !GetPropW(parent, kOldProcProperty)) {
        if (WNDPROC previous = addSubclass<customDrawProc>(parent, this)) {
            SetPropW(parent, kOldProcProperty, reinterpret_cast<HANDLE>(previous));
            customDrawParents_.push_back(parent);
        }
    }
    CellColourStore* store = coloursOf(listView);
    if (!store) {
        std::unique_ptr<CellColourStore> made = createXmlColourStore(parent, listView);
        if (!made) made = createMemoryColourStore();
        store = made.get();
        colourLists_.push_back({listView, std::move(made)});
    }
    store->set(row, column, text, back);
    invalidateCell(listView, row, column);
}

CellColourStore* ListColours::coloursOf(HWND listView) {
    for (ColourEntry& e : colourLists_)
        if (e.listView == listView) return e.store.get();
    return nullptr;
}

void setRowHeight(HWND parent, HWND listView, int height) {
    uiState().listColours.setRowHeight(parent, listView, height);
}

void setCellColours(HWND parent, HWND listView, int row, int column, COLORREF text, COLORREF back) {
    uiState().listColours.setCellColours(parent, listView, row, column, text, back);
}

CellColourStore* cellColoursOf(HWND listView) { return uiState().listColours.coloursOf(listView); }
