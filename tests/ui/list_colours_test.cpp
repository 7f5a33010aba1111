// The coloured list view on real windows: the row height a list keeps, the
// parent's procedure chain, both colour stores, and the custom-draw answers
// the parent gives a list's paint notifications.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "runtime/win32/subclass.h"
#include "ui/list_colours.h"

namespace {

// A parent window and report lists with three rows of three columns, and
// the tables of one test. The parent lives for the whole suite; each test's
// tables take their procedures out of it when they go.
class ListFixture : public testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QernoListColoursTest";
        RegisterClassW(&wc);
        parent = CreateWindowExW(0, wc.lpszClassName, L"lists", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                 300, nullptr, nullptr, wc.hInstance, nullptr);
    }
    void SetUp() override { ASSERT_NE(parent, nullptr); }
    void TearDown() override {
        for (HWND list : lists) DestroyWindow(list);
    }

    HWND makeList() {
        HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 380, 250,
                                    parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        for (int c = 0; c < 3; ++c) {
            LVCOLUMNW col{};
            col.mask = LVCF_WIDTH;
            col.cx = 100;
            ListView_InsertColumn(list, c, &col);
        }
        for (int r = 0; r < 3; ++r) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = r;
            item.pszText = const_cast<wchar_t*>(L"row");
            ListView_InsertItem(list, &item);
        }
        lists.push_back(list);
        return list;
    }

    static int rowHeight(HWND list) {
        RECT r{};
        ListView_GetItemRect(list, 0, &r, LVIR_BOUNDS);
        return r.bottom - r.top;
    }

    // Sends the parent the custom-draw notification of one paint stage.
    LRESULT notify(HWND list, DWORD stage, int item, int subItem, NMLVCUSTOMDRAW* out = nullptr) {
        NMLVCUSTOMDRAW d{};
        d.nmcd.hdr.hwndFrom = list;
        d.nmcd.hdr.idFrom = 0;
        d.nmcd.hdr.code = NM_CUSTOMDRAW;
        d.nmcd.dwDrawStage = stage;
        d.nmcd.dwItemSpec = item;
        d.iSubItem = subItem;
        d.clrText = 0x123456;
        d.clrTextBk = 0x654321;
        LRESULT r = SendMessageW(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&d));
        if (out) *out = d;
        return r;
    }

    static inline HWND parent = nullptr;
    std::vector<HWND> lists;
    ListColours colours;
};

TEST_F(ListFixture, RowHeightIsKeptAndAppliesToEveryListOfEveryParent) {
    HWND hosts = makeList();
    HWND log = makeList();
    colours.setRowHeight(parent, hosts, 24);
    EXPECT_EQ(rowHeight(hosts), 24);
    const LONG_PTR chained = GetWindowLongPtrW(parent, GWLP_WNDPROC);
    const LONG_PTR style = GetWindowLongPtrW(hosts, GWL_STYLE);
    colours.setRowHeight(parent, log, 31);
    EXPECT_EQ(rowHeight(log), 31);
    EXPECT_EQ(GetWindowLongPtrW(parent, GWLP_WNDPROC), chained);  // not replaced twice
    EXPECT_EQ(GetWindowLongPtrW(hosts, GWL_STYLE) & LVS_OWNERDRAWFIXED, 0);  // style put back
    EXPECT_EQ(GetWindowLongPtrW(hosts, GWL_STYLE), style);
    // The height a list asked for stays until it asks again.
    EXPECT_EQ(rowHeight(hosts), 24);
}

using StoreMaker = std::function<std::unique_ptr<CellColourStore>(HWND, HWND)>;

TEST_F(ListFixture, BothStoresKeepOneEntryPerCellWithTheNewestColours) {
    HWND list = makeList();
    const struct {
        const char* name;
        StoreMaker make;
    } stores[] = {
        {"xml", createXmlColourStore},
        {"memory", [](HWND, HWND) { return createMemoryColourStore(); }},
    };
    for (const auto& s : stores) {
        SCOPED_TRACE(s.name);
        std::unique_ptr<CellColourStore> store = s.make(parent, list);
        ASSERT_NE(store, nullptr);
        COLORREF text = 1, back = 2;
        EXPECT_FALSE(store->find(0, 2, text, back));
        EXPECT_EQ(text, 1u);
        store->set(0, 2, 0xFFFFFF, 0x00FF00);
        store->set(1, 2, 0x000000, 0x0000FF);
        store->set(0, 2, 0xFFFFFF, 0xFF8000);
        // Row 1, column 2 and row 12 share no key even though "Item1" + "2"
        // and "Item12" look alike.
        store->set(12, 0, 7, 8);
        EXPECT_EQ(store->cellCount(), 3);
        ASSERT_TRUE(store->find(0, 2, text, back));
        EXPECT_EQ(text, 0xFFFFFFu);
        EXPECT_EQ(back, 0xFF8000u);
        ASSERT_TRUE(store->find(1, 2, text, back));
        EXPECT_EQ(back, 0x0000FFu);
        EXPECT_FALSE(store->find(2, 0, text, back));
        EXPECT_FALSE(store->find(2, 1, text, back));
    }
}

TEST_F(ListFixture, CustomDrawPaintsColouredCellsAndLeavesOthersToTheList) {
    HWND hosts = makeList();
    HWND log = makeList();
    colours.setRowHeight(parent, hosts, 24);
    ListView_SetTextColor(hosts, 0x111111);
    ListView_SetBkColor(hosts, 0xEEEEEE);
    colours.setCellColours(parent, hosts, 1, 2, 0xFFFFFF, 0x00C000);
    colours.setCellColours(parent, hosts, 1, 2, 0xFFFFFF, 0x0000C0);
    ASSERT_NE(colours.coloursOf(hosts), nullptr);
    EXPECT_EQ(colours.coloursOf(hosts)->cellCount(), 1);
    EXPECT_EQ(colours.coloursOf(log), nullptr);
    EXPECT_EQ(rowHeight(hosts), 24);  // the row-height procedure stays in the chain

    EXPECT_EQ(notify(hosts, CDDS_PREPAINT, 0, 0), CDRF_NOTIFYITEMDRAW);
    EXPECT_EQ(notify(hosts, CDDS_ITEMPREPAINT, 1, 0), CDRF_NOTIFYSUBITEMDRAW);
    NMLVCUSTOMDRAW d{};
    notify(hosts, CDDS_ITEMPREPAINT | CDDS_SUBITEM, 1, 2, &d);
    EXPECT_EQ(d.clrText, 0xFFFFFFu);
    EXPECT_EQ(d.clrTextBk, 0x0000C0u);
    notify(hosts, CDDS_ITEMPREPAINT | CDDS_SUBITEM, 1, 1, &d);
    EXPECT_EQ(d.clrText, 0x111111u);
    EXPECT_EQ(d.clrTextBk, 0xEEEEEEu);
    // Colours belong to positions: row 0 has none even after row 1's.
    notify(hosts, CDDS_ITEMPREPAINT | CDDS_SUBITEM, 0, 2, &d);
    EXPECT_EQ(d.clrTextBk, 0xEEEEEEu);

    // A list without colours is left to the parent's own handling.
    EXPECT_EQ(notify(log, CDDS_PREPAINT, 0, 0), 0);
    notify(log, CDDS_ITEMPREPAINT | CDDS_SUBITEM, 1, 2, &d);
    EXPECT_EQ(d.clrTextBk, 0x654321u);
}

// What the list paints at the middle of one cell (printed into a bitmap, so
// nothing on the screen can cover it).
COLORREF paintedColour(HWND list, int row, int column) {
    RECT client{}, cell{};
    GetClientRect(list, &client);
    ListView_GetSubItemRect(list, row, column, LVIR_BOUNDS, &cell);
    HDC screen = GetDC(list);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    const COLORREF colour = GetPixel(memory, (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(list, screen);
    return colour;
}

// A selected row keeps its latency colour: the list shows its selection
// also without the focus (grey) and with it (highlight), and neither band
// may cover a coloured cell. The row's other cells still show it.
TEST_F(ListFixture, ASelectedRowKeepsItsCellColour) {
    HWND list = makeList();
    SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LVS_SHOWSELALWAYS);
    ListView_SetBkColor(list, 0xEEEEEE);
    ListView_SetTextBkColor(list, 0xEEEEEE);
    colours.setCellColours(parent, list, 1, 2, 0xFFFFFF, 0x0000C0);
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    for (bool focused : {false, true}) {
        SetFocus(focused ? list : parent);
        EXPECT_EQ(paintedColour(list, 1, 2), 0x0000C0u) << "focused " << focused;
        EXPECT_EQ(paintedColour(list, 2, 2), 0xEEEEEEu) << "focused " << focused;  // not selected
        EXPECT_NE(paintedColour(list, 1, 0), 0xEEEEEEu) << "focused " << focused;  // the band
    }
}

// A new colour repaints its cell, not the list: the update region after it
// is the cell's rectangle, whichever list row and column it is.
TEST_F(ListFixture, NewColourRepaintsOnlyItsCell) {
    HWND hosts = makeList();
    for (const auto& [row, column] : {std::pair{1, 2}, std::pair{2, 1}, std::pair{0, 2}}) {
        UpdateWindow(hosts);
        RECT pending{};
        ASSERT_FALSE(GetUpdateRect(hosts, &pending, FALSE)) << "the list was left to paint";
        colours.setCellColours(parent, hosts, row, column, 0xFFFFFF, 0x0000C0 + row);
        RECT cell{};
        ASSERT_TRUE(ListView_GetSubItemRect(hosts, row, column, LVIR_BOUNDS, &cell));
        ASSERT_TRUE(GetUpdateRect(hosts, &pending, FALSE));
        EXPECT_TRUE(EqualRect(&pending, &cell))
            << row << "." << column << ": update " << pending.left << "," << pending.top << "-"
            << pending.right << "," << pending.bottom << ", cell " << cell.left << "," << cell.top << "-"
            << cell.right << "," << cell.bottom;
    }
}

// The parent's chain after the row height and then the first colour: the
// custom-draw procedure on top, "oldWndProc" naming the row-height
// procedure under it, and that one over the window's own.
TEST_F(ListFixture, ColourProcedureSitsOnTopAndOldWndProcNamesTheOneBelow) {
    const LONG_PTR own = GetWindowLongPtrW(parent, GWLP_WNDPROC);
    {
        ListColours tables;
        HWND hosts = makeList();
        tables.setRowHeight(parent, hosts, 24);
        const LONG_PTR rowHeight = GetWindowLongPtrW(parent, GWLP_WNDPROC);
        EXPECT_NE(rowHeight, own);
        EXPECT_EQ(GetPropW(parent, L"oldWndProc"), nullptr);
        tables.setCellColours(parent, hosts, 0, 0, 1, 2);
        const LONG_PTR colour = GetWindowLongPtrW(parent, GWLP_WNDPROC);
        EXPECT_NE(colour, rowHeight);
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropW(parent, L"oldWndProc")), rowHeight);
        tables.setCellColours(parent, hosts, 1, 0, 1, 2);  // installed once
        EXPECT_EQ(GetWindowLongPtrW(parent, GWLP_WNDPROC), colour);
        EXPECT_EQ(subclassCount(parent), 2);
    }
    // Tables that go leave the parent as they found it.
    EXPECT_EQ(GetWindowLongPtrW(parent, GWLP_WNDPROC), own);
    EXPECT_EQ(GetPropW(parent, L"oldWndProc"), nullptr);
    EXPECT_EQ(subclassCount(parent), 0);
}

}  // namespace
