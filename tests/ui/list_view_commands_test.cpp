// The report list commands on the live host list, with their edge rules.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "runtime/win32/list_view_commands.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace {

class ListViewTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loadWindow(mainWindow())); }
    void TearDown() override { unload(mainWindow()); }
    Unit list = unitOf(mainWindow(), MainWin::超级列表框_通讯);

    std::vector<Text> column0() {
        std::vector<Text> texts;
        for (int i = 0; i < itemCount(list); ++i) texts.push_back(itemText(list, i, 0));
        return texts;
    }
    void select(int item, bool on) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = on ? LVIS_SELECTED : 0;
        SendMessageW(windowHandle(list), LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
    }
    int imageOf(int item, int column) {
        LVITEMW cell{};
        cell.mask = LVIF_IMAGE;
        cell.iItem = item;
        cell.iSubItem = column;
        SendMessageW(windowHandle(list), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&cell));
        return cell.iImage;
    }
};

TEST_F(ListViewTest, InsertPositionsAndItemData) {
    EXPECT_EQ(insertItem(list, -1, "b", -1, 0, 20), 0);
    EXPECT_EQ(insertItem(list, -1, "c", -1, 0, 30), 1);  // -1 appends
    EXPECT_EQ(insertItem(list, 0, "a", -1, 0, 10), 0);
    EXPECT_EQ(insertItem(list, -7, "d", -1, -3, 40), 3);  // negative appends, indent clamps
    EXPECT_EQ(insertItem(list), 4);                       // all left out: empty text, data 0
    EXPECT_EQ(column0(), (std::vector<Text>{"a", "b", "c", "d", ""}));
    EXPECT_EQ(itemData(list, 2), 30);
    EXPECT_EQ(itemData(list, 99), 0);  // no such item
    EXPECT_EQ(itemData(list, -1), 0);
    setItemText(list, 1, 1, "10.0.0.5");
    setItemText(list, 1, 4, "正常记录");
    EXPECT_EQ(itemText(list, 1, 1), Text("10.0.0.5"));
    EXPECT_EQ(itemText(list, 1, 4), Text("正常记录"));
    setItemText(list, 1, 4);
    EXPECT_EQ(itemText(list, 1, 4), Text(""));
}

TEST_F(ListViewTest, FindItemByData) {
    EXPECT_EQ(findItemByData(list, 7), -1);  // empty list
    for (int data : {7, 8, 7}) insertItem(list, -1, "x", -1, 0, data);
    const struct { int start, data, found; } cases[] = {
        {0, 7, 0}, {1, 7, 2}, {2, 7, 2}, {3, 7, -1}, {0, 8, 1}, {0, 9, -1}, {-5, 8, 1},
    };
    for (auto c : cases) EXPECT_EQ(findItemByData(list, c.start, c.data), c.found) << c.start << "," << c.data;
}

TEST_F(ListViewTest, SelectedItemsAndDeletingThemInOrder) {
    EXPECT_TRUE(selectedItems(list).empty());
    for (const char* t : {"h0", "h1", "h2", "h3", "h4"}) insertItem(list, -1, t);
    for (int i : {1, 3, 4}) select(i, true);
    std::vector<int> selected = selectedItems(list);
    EXPECT_EQ(selected, (std::vector<int>{1, 3, 4}));
    // The j-th selected item sits at its index minus j once those before it are gone.
    for (size_t j = 0; j < selected.size(); ++j) deleteItem(list, selected[j] - static_cast<int>(j));
    EXPECT_EQ(column0(), (std::vector<Text>{"h0", "h2"}));
    deleteAllItems(list);
    EXPECT_EQ(itemCount(list), 0);
}

TEST_F(ListViewTest, CellImagesOnAnyColumnAndTheirRemoval) {
    insertItem(list, -1, "h", 5);
    insertItem(list, -1, "i", -9);  // below -1 counts as no image
    EXPECT_EQ(imageOf(0, 0), 5);
    EXPECT_EQ(imageOf(1, 0), -1);
    setItemImage(list, 0, 3, 2);
    EXPECT_EQ(imageOf(0, 3), 2);
    setItemImage(list, 0, 3, -4);
    EXPECT_EQ(imageOf(0, 3), -1);
    RECT pending;
    EXPECT_TRUE(GetUpdateRect(windowHandle(list), &pending, FALSE));  // whole list to repaint
    setItemImage(list, 0);  // column 0, image left out: removed
    EXPECT_EQ(imageOf(0, 0), -1);
}

}  // namespace
