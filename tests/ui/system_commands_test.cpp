// Message box numbering, shell verbs and show modes, and registry reads.
#include <gtest/gtest.h>

#include <windows.h>

#include "runtime/codepage.h"
#include "runtime/win32/message_box.h"
#include "runtime/win32/registry.h"
#include "runtime/win32/shell.h"

namespace {

// The names only spell the runtime's numbering; the numbers themselves stay fixed.
static_assert(BoxFlags::Information == 64 && BoxFlags::Question == 36);
static_assert(BoxResult::Yes == 5 && BoxResult::No == 6);
static_assert(RegistryRoot::ClassesRoot == 1 && RegistryRoot::LocalMachine == 4);
static_assert(ShellOperation::Open == 4 && ShowMode::Normal == 2);

TEST(MessageBox, ResultsAndModality) {
    const std::pair<int, int> results[] = {{IDOK, 0}, {IDCANCEL, 1}, {IDABORT, 2}, {IDRETRY, 3},
                                           {IDIGNORE, 4}, {IDYES, 5}, {IDNO, 6}};
    for (auto [system, ours] : results) EXPECT_EQ(messageBoxResult(system), ours);
    EXPECT_EQ(messageBoxStyle(BoxFlags::Information), 64u | MB_TASKMODAL);
    EXPECT_EQ(messageBoxStyle(BoxFlags::Question), 36u | MB_TASKMODAL);
    EXPECT_EQ(messageBoxStyle(BoxFlags::Information | MB_SYSTEMMODAL), 64u | MB_SYSTEMMODAL);  // not both
}

TEST(ShellExecute, VerbsAndShowModes) {
    const std::pair<int, const wchar_t*> verbs[] = {{1, L"edit"}, {2, L"explore"}, {3, L"find"},
                                                    {4, L"open"}, {5, L"print"}};
    for (auto [op, verb] : verbs) EXPECT_STREQ(shellVerb(op), verb);
    EXPECT_EQ(shellVerb(0), nullptr);
    EXPECT_EQ(shellVerb(6), nullptr);
    const int shows[] = {SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED, SW_SHOWNA, SW_MINIMIZE};
    for (int mode = 1; mode <= 6; ++mode) EXPECT_EQ(shellShowCommand(mode), shows[mode - 1]);
    EXPECT_EQ(shellShowCommand(0), SW_SHOWNORMAL);
    EXPECT_EQ(shellShowCommand(7), SW_SHOWNORMAL);
}

class RegistryTest : public testing::Test {
protected:
    void SetUp() override {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\QernoTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        setText(L"", REG_SZ, L"default value");
        setText(L"plain", REG_SZ, L"\u7f51\u7edc");  // 网络
        setText(L"expand", REG_EXPAND_SZ, L"%QERNO_REG_TEST%\\x");
        DWORD number = 5;
        RegSetValueExW(key_, L"number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof(number));
        SetEnvironmentVariableW(L"QERNO_REG_TEST", L"C:\\dir");
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QernoTest");
    }
    void setText(const wchar_t* name, DWORD type, const std::wstring& value) {
        RegSetValueExW(key_, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    HKEY key_ = nullptr;
};

TEST_F(RegistryTest, ValuesByTypeAndTheDefault) {
    const struct { int root; const char* path; const char* expected; } cases[] = {
        {RegistryRoot::CurrentUser, "Software\\QernoTest\\plain", "网络"},
        {0, "Software\\QernoTest\\", "default value"},  // an unlisted root; empty value name: the key's default
        {RegistryRoot::CurrentUser, "Software\\QernoTest\\expand", "C:\\dir\\x"},
        {RegistryRoot::CurrentUser, "Software\\QernoTest\\number", "fallback"},   // not a text
        {RegistryRoot::CurrentUser, "Software\\QernoTest\\missing", "fallback"},
        {RegistryRoot::CurrentUser, "Software\\NoSuchKey\\plain", "fallback"},
        {RegistryRoot::LocalMachine, "Software\\QernoTest\\plain", "fallback"},    // another root
    };
    for (auto c : cases) EXPECT_EQ(readRegistryText(c.root, c.path, "fallback"), Text(c.expected)) << c.path;
    EXPECT_EQ(readRegistryText(RegistryRoot::CurrentUser, "Software\\QernoTest\\missing"), Text(""));
}

TEST(OsKind, OneOfTheKnownKinds) {
    const int known[] = {1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    int kind = osKind();
    EXPECT_NE(std::find(std::begin(known), std::end(known), kind), std::end(known)) << kind;
}

}  // namespace
