// The integer edit box and the colour picker, typed into and read back.
#include <gtest/gtest.h>

#include "runtime/win32/window_commands.h"
#include "ui/host_dialog.h"
#include "ui/integer_edit.h"
#include "ui_test_support.h"

namespace {

TEST(IntegerEdit, TextAfterFocusLoss) {
    const struct { const char* typed; const char* shown; } cases[] = {
        {"", ""}, {"0", ""}, {"-0", ""}, {"30", "30"}, {"007", "7"}, {"-15", "-15"},
        {"2147483647", "2147483647"}, {"2147483648", "2147483647"}, {"-2147483649", "-2147483648"},
        {"99999999999999999999999", "2147483647"}, {"-", ""}, {"12-3", "12"}, {"--5", ""},
    };
    for (auto c : cases) EXPECT_EQ(normaliseIntegerText(c.typed), Text(c.shown)) << c.typed;
}

TEST(IntegerEdit, OnlyMinusAndDigitsAreTyped) {
    for (unsigned ch : {unsigned('-'), unsigned('0'), unsigned('9'), 8u, 22u}) EXPECT_TRUE(integerEditAccepts(ch)) << ch;
    for (unsigned ch : {unsigned('a'), unsigned('+'), unsigned(' '), unsigned('.'), 0xFF11u}) EXPECT_FALSE(integerEditAccepts(ch)) << ch;
}

class HostDialogTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loadWindow(hostDialog())); }
    void TearDown() override { unload(hostDialog()); }
    HWND unit(int u) { return hostDialog().unitHandle(u); }
};

TEST_F(HostDialogTest, TypingIntoAndLeavingAnIntegerEditBox) {
    HWND edit = unit(HostDlg::编辑框_网络良好);
    SetWindowTextW(edit, L"");
    for (wchar_t ch : std::wstring(L"1x2-a3")) SendMessageW(edit, WM_CHAR, ch, 0);
    EXPECT_EQ(textOf(edit), Text("12-3"));
    SendMessageW(edit, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(textOf(edit), Text("12"));
    SetWindowTextW(edit, L"0");
    SendMessageW(edit, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(textOf(edit), Text(""));
    EXPECT_EQ(std::get<Text>(getProperty(unitOf(hostDialog(), HostDlg::编辑框_网络良好), Property::Content)), Text(""));
    // The plain edit boxes take any text.
    HWND name = unit(HostDlg::编辑框_备注名称);
    for (wchar_t ch : std::wstring(L"ab1")) SendMessageW(name, WM_CHAR, ch, 0);
    EXPECT_EQ(textOf(name), Text("ab1"));
}

TEST_F(HostDialogTest, ColourPickerHoldsAColourValue) {
    Unit picker = unitOf(hostDialog(), HostDlg::颜色选择器_网络异常);
    setProperty(picker, Property::Colour, 0x00123456);
    EXPECT_EQ(std::get<std::int32_t>(getProperty(picker, Property::Colour)), 0x00123456);
    setProperty(picker, Property::Colour, static_cast<std::int32_t>(0xFF0000FF));  // only 0x00BBGGRR is kept
    EXPECT_EQ(std::get<std::int32_t>(getProperty(picker, Property::Colour)), 0x0000FF);
    // It shows its colour.
    UpdateWindow(windowHandle(picker));
    HDC dc = GetDC(windowHandle(picker));
    EXPECT_EQ(GetPixel(dc, 54, 12), RGB(255, 0, 0));
    ReleaseDC(windowHandle(picker), dc);
}

}  // namespace
