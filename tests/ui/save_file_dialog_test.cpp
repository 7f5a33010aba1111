// The system's save-file dialog, shown for real under Wine and answered from
// another thread the way the end-to-end tests answer it in the program.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "runtime/codepage.h"
#include "runtime/win32/save_file_dialog.h"
#include "tests/e2e/helper/driver.h"

namespace fs = std::filesystem;

namespace {

const wchar_t kTitle[] = L"导出测试";
// The first dialog of a process loads the shell's folder objects, which
// under a cold Wine takes a while.
constexpr int kDialogTimeoutMs = 30000;
constexpr DWORD kPollMs = 50;

// The dialog's own replace confirmation: a box with the dialog's title (as
// the dialog itself has) and a Yes button.
BOOL CALLBACK matchConfirmation(HWND h, LPARAM found) {
    wchar_t title[64] = {};
    GetWindowTextW(h, title, 64);
    if (!IsWindowVisible(h) || std::wstring(title) != kTitle || !GetDlgItem(h, IDYES)) return TRUE;
    *reinterpret_cast<HWND*>(found) = h;
    return FALSE;
}

HWND waitForConfirmation() {
    for (DWORD start = GetTickCount(); GetTickCount() - start < DWORD{kDialogTimeoutMs}; Sleep(kPollMs)) {
        HWND found = nullptr;
        EnumWindows(matchConfirmation, reinterpret_cast<LPARAM>(&found));
        if (found) return found;
    }
    return nullptr;
}

SaveFileRequest request(const fs::path& folder) {
    SaveFileRequest r;
    r.title = fromWide(kTitle);
    r.initialFolder = fromWide(folder.wstring().c_str());
    r.defaultName = "日志_20240102_030405.csv";
    r.filterDescription = "CSV 文件 (*.csv)";
    r.filterPattern = "*.csv";
    r.defaultExtension = "csv";
    return r;
}

class SaveFileDialogTest : public testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        folder_ = fs::temp_directory_path() / (L"qerno-save-" + std::to_wstring(rd()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    fs::path folder_;
};

TEST(SaveFileFilter, DescriptionAndPatternEndWithTwoNuls) {
    const std::wstring filter = saveFileFilter(request(fs::path(L"C:\\")));
    EXPECT_EQ(filter, std::wstring(L"CSV 文件 (*.csv)\0*.csv\0\0", 22));
}

// A typed name without extension gets the default one; the full path comes
// back in the program's code page.
TEST_F(SaveFileDialogTest, ReturnsTheChosenPathWithTheDefaultExtension) {
    const fs::path chosen = folder_ / L"导出";
    std::thread person([&] {
        EXPECT_TRUE(e2e::answerSaveDialog(kTitle, chosen.wstring(), GetCurrentProcessId(), kDialogTimeoutMs));
    });
    Text path;
    const bool chose = chooseSaveFile(nullptr, request(folder_), path);
    person.join();
    ASSERT_TRUE(chose);
    EXPECT_EQ(gbkToUtf16(path), (folder_ / L"导出.csv").u16string());
}

TEST_F(SaveFileDialogTest, CancelLeavesThePathAlone) {
    std::thread person([&] {
        EXPECT_TRUE(e2e::answerSaveDialog(kTitle, L"", GetCurrentProcessId(), kDialogTimeoutMs));
    });
    Text path = "unchanged";
    EXPECT_FALSE(chooseSaveFile(nullptr, request(folder_), path));
    person.join();
    EXPECT_EQ(path, Text("unchanged"));
}

// A Korean name cannot be held in GBK: the user is told and asked again,
// and the second, plain name is the one returned.
TEST_F(SaveFileDialogTest, APathGbkCannotHoldIsRefusedAndAskedAgain) {
    const DWORD self = GetCurrentProcessId();
    std::wstring boxText;
    std::thread person([&] {
        EXPECT_TRUE(e2e::answerSaveDialog(kTitle, (folder_ / L"\uc11c\ubc84.csv").wstring(), self, kDialogTimeoutMs));
        const e2e::MessageBoxSeen box = e2e::findMessageBox(L"信息：", self);
        boxText = box.text;
        EXPECT_TRUE(e2e::answerMessageBox(box.box, IDOK));
        EXPECT_TRUE(e2e::answerSaveDialog(kTitle, (folder_ / L"plain.csv").wstring(), self));
    });
    Text path;
    const bool chose = chooseSaveFile(nullptr, request(folder_), path);
    person.join();
    ASSERT_TRUE(chose);
    EXPECT_EQ(gbkToUtf16(path), (folder_ / L"plain.csv").u16string());
    EXPECT_EQ(fromWide(boxText.c_str()), Text(kSavePathNotGbkMessage));
}

// An existing file is only chosen after the dialog's own confirmation.
TEST_F(SaveFileDialogTest, ReplacingAFileAsksFirst) {
    const fs::path existing = folder_ / L"old.csv";
    std::ofstream(existing) << "old";
    const DWORD self = GetCurrentProcessId();
    bool asked = false;
    std::thread person([&] {
        EXPECT_TRUE(e2e::answerSaveDialog(kTitle, existing.wstring(), self, kDialogTimeoutMs));
        HWND box = waitForConfirmation();
        asked = box != nullptr;
        if (asked) e2e::answerMessageBox(box, IDYES);
    });
    Text path;
    const bool chose = chooseSaveFile(nullptr, request(folder_), path);
    person.join();
    EXPECT_TRUE(asked);
    ASSERT_TRUE(chose);
    EXPECT_EQ(gbkToUtf16(path), existing.u16string());
}

}  // namespace
