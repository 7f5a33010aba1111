// The single-instance guard with real mutexes and window properties, and the
// run-folder check.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/single_instance.h"
#include "app/startup.h"

namespace {

HWND makeWindow(const wchar_t* title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QernoInstanceTest";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

TEST(SingleInstance, TheSecondHolderOfANameSeesTheFirst) {
    EXPECT_FALSE(CheckOtherInstance("qerno-test-instance-a"));
    EXPECT_TRUE(CheckOtherInstance("qerno-test-instance-a"));
    EXPECT_TRUE(CheckOtherInstance("qerno-test-instance-a"));  // the first still holds it
    EXPECT_FALSE(CheckOtherInstance("qerno-test-instance-b"));
    // Without a name the guard uses its default one.
    EXPECT_FALSE(CheckOtherInstance());
    HANDLE same = CreateMutexW(nullptr, FALSE, L"51A8F107-E6FA-4352-BC49-C1A68523C650");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(same);
}

TEST(SingleInstance, ActivatesOnlyTheWindowWithTheMarker) {
    const Text name = "{qerno-test-marker}";
    HWND other = makeWindow(L"other");
    HWND first = makeWindow(L"first");
    HWND defaults = makeWindow(L"defaults");
    MarkInstanceWindow(other, name, 42);  // same property, another value: passed over
    MarkInstanceWindow(first, name, 83612405);
    MarkInstanceWindow(defaults);
    for (HWND w : {other, first, defaults}) ShowWindow(w, SW_MINIMIZE);
    // The close box minimises and hides: the tray state.
    ShowWindow(first, SW_HIDE);

    ActivateOtherInstance(name, 83612405);
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_FALSE(IsIconic(first));
    EXPECT_TRUE(IsIconic(other));
    EXPECT_TRUE(IsIconic(defaults));

    ActivateOtherInstance();  // default name and marker
    EXPECT_FALSE(IsIconic(defaults));
    EXPECT_TRUE(IsIconic(other));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropW(defaults, L"51A8F107-E6FA-4352-BC49-C1A68523C650")), 123456789);

    ActivateOtherInstance("{qerno-nobody-has-this}", 1);  // nothing marked: nothing happens
    EXPECT_TRUE(IsIconic(other));
    for (HWND w : {other, first, defaults}) DestroyWindow(w);
}

// A second start while the first window is on the screen, not minimised:
// it only comes to the front, where and as large as it was (a maximised one
// stays maximised: a restore would shrink it).
TEST(SingleInstance, AVisibleWindowOnlyComesForward) {
    const Text name = "{qerno-test-forward}";
    HWND front = makeWindow(L"front");
    HWND first = makeWindow(L"first");
    MarkInstanceWindow(first, name, 83612405);
    for (int show : {SW_SHOWNORMAL, SW_SHOWMAXIMIZED}) {
        ShowWindow(first, show);
        ShowWindow(front, SW_SHOWNORMAL);
        SetForegroundWindow(front);
        ASSERT_EQ(GetForegroundWindow(), front);
        RECT before{}, after{};
        GetWindowRect(first, &before);
        const bool zoomed = IsZoomed(first) != 0;

        ActivateOtherInstance(name, 83612405);
        EXPECT_EQ(GetForegroundWindow(), first) << show;
        GetWindowRect(first, &after);
        EXPECT_TRUE(EqualRect(&before, &after)) << show;
        EXPECT_EQ(IsZoomed(first) != 0, zoomed) << show;
        EXPECT_FALSE(IsIconic(first)) << show;
    }
    DestroyWindow(front);
    DestroyWindow(first);
}

TEST(RunFolder, ArchiveTemporaryFoldersAreRefusedCaseSensitively) {
    const struct {
        const char* dir;
        bool refused;
    } cases[] = {
        {"C:\\Documents and Settings\\u\\Local Settings\\Temp\\Rar$EX00\\", true},
        {"C:\\Users\\u\\AppData\\Local\\Temp\\7zO1234\\", true},
        {"C:\\Users\\u\\AppData\\Local\\Temp2\\x\\", true},  // a substring is enough
        {"C:\\Documents and Settings\\u\\local settings\\temp\\x\\", false},
        {"C:\\Users\\u\\appdata\\local\\temp\\x\\", false},
        {"C:\\Temp\\qerno\\", false},
        {"D:\\工具\\Qerno网络检测\\", false},
        {"C:\\Users\\u\\AppData\\Local\\", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isTemporaryFolder(c.dir), c.refused) << c.dir;
}

}  // namespace
