// The subclassing helper on real windows: a chain of hooks in front of a
// window's own procedure, removal from the top and from the middle, a
// procedure from outside the helper above a hook, and the chain's end with
// the window.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "runtime/win32/subclass.h"

namespace {

constexpr UINT kProbe = WM_USER + 1;   // every procedure records it
constexpr UINT kAnswer = WM_USER + 2;  // hook A answers it itself
constexpr UINT kSwap = WM_USER + 3;    // hook B passes it on as kProbe

std::vector<std::string> g_seen;

void note(const char* who, UINT msg) {
    if (msg == kProbe || msg == WM_NCDESTROY) g_seen.push_back(std::string(who) + (msg == kProbe ? "" : ":end"));
}

LRESULT CALLBACK ownProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    note("own", msg);
    if (msg == kProbe) return 100 + static_cast<LRESULT>(wp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// The data each hook gets counts the messages it saw.
LRESULT hookA(const SubclassCall& call, void* data) {
    ++*static_cast<int*>(data);
    note("A", call.msg);
    if (call.msg == kAnswer) return 7;
    return call.next();
}

LRESULT hookB(const SubclassCall& call, void* data) {
    ++*static_cast<int*>(data);
    note("B", call.msg);
    if (call.msg == kSwap) return call.next(kProbe, 5, 0);
    return call.next();
}

LRESULT CALLBACK outsideProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
WNDPROC g_outsidePrevious = nullptr;
LRESULT CALLBACK outsideProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    note("outside", msg);
    return CallWindowProcW(g_outsidePrevious, hwnd, msg, wp, lp);
}

class SubclassTest : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ownProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QernoSubclassTest";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"subclass", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
        g_seen.clear();
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
    }

    WNDPROC current() const { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)); }
    std::vector<std::string> probe(WPARAM wp = 0) {
        g_seen.clear();
        EXPECT_EQ(SendMessageW(window, kProbe, wp, 0), static_cast<LRESULT>(100 + wp));
        return g_seen;
    }

    HWND window = nullptr;
    WNDPROC own = nullptr;
    int countA = 0, countB = 0;
};

using Seen = std::vector<std::string>;

TEST_F(SubclassTest, NewestHookRunsFirstAndEachPassesToTheOneItReplaced) {
    EXPECT_EQ(addSubclass<hookA>(window, &countA), own);
    EXPECT_EQ(addSubclass<hookB>(window, &countB), subclassProcedure<hookA>());
    EXPECT_EQ(current(), subclassProcedure<hookB>());
    EXPECT_EQ(subclassCount(window), 2);
    EXPECT_EQ(probe(3), (Seen{"B", "A", "own"}));
    // A hook answers itself (the window's own procedure never sees it) or
    // passes another message on.
    EXPECT_EQ(SendMessageW(window, kAnswer, 0, 0), 7);
    g_seen.clear();
    EXPECT_EQ(SendMessageW(window, kSwap, 0, 0), 105);
    EXPECT_EQ(g_seen, (Seen{"A", "own"}));  // B passed kProbe on in its place
    EXPECT_GE(countA, 3);
    EXPECT_GE(countB, 3);
}

TEST_F(SubclassTest, AHookIsOnAWindowOnceWithItsFirstData) {
    int other = 0;
    ASSERT_NE(addSubclass<hookA>(window, &countA), nullptr);
    EXPECT_EQ(addSubclass<hookA>(window, &other), nullptr);
    EXPECT_EQ(subclassCount(window), 1);
    probe();
    EXPECT_EQ(other, 0);
    EXPECT_TRUE(hasSubclass<hookA>(window));
    EXPECT_FALSE(hasSubclass<hookB>(window));
    EXPECT_EQ(addSubclass<hookB>(nullptr, &countB), nullptr);
}

// Either hook can go first; what stays keeps working, and the last one out
// gives the window its own procedure back.
TEST_F(SubclassTest, HooksComeOutInEitherOrder) {
    const struct {
        const char* name;
        bool topFirst;
        WNDPROC afterFirst;
        Seen seenAfterFirst;
    } cases[] = {
        {"top first", true, subclassProcedure<hookA>(), {"A", "own"}},
        {"middle first", false, subclassProcedure<hookB>(), {"B", "own"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(addSubclass<hookA>(window, &countA), nullptr);
        ASSERT_NE(addSubclass<hookB>(window, &countB), nullptr);
        EXPECT_TRUE(c.topFirst ? removeSubclass<hookB>(window) : removeSubclass<hookA>(window));
        EXPECT_EQ(current(), c.afterFirst);
        EXPECT_EQ(probe(), c.seenAfterFirst);
        EXPECT_TRUE(c.topFirst ? removeSubclass<hookA>(window) : removeSubclass<hookB>(window));
        EXPECT_EQ(current(), own);
        EXPECT_EQ(subclassCount(window), 0);
        EXPECT_EQ(probe(), (Seen{"own"}));
        EXPECT_FALSE(removeSubclass<hookA>(window));
    }
}

// A procedure set from outside the helper keeps the hook's procedure as its
// previous one: the hook cannot be unlinked, so it only passes messages on.
TEST_F(SubclassTest, AHookUnderAnOutsideProcedurePassesMessagesOnAfterRemoval) {
    ASSERT_NE(addSubclass<hookA>(window, &countA), nullptr);
    g_outsidePrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(outsideProc)));
    EXPECT_EQ(probe(), (Seen{"outside", "A", "own"}));
    EXPECT_TRUE(removeSubclass<hookA>(window));
    EXPECT_FALSE(hasSubclass<hookA>(window));
    EXPECT_EQ(current(), reinterpret_cast<WNDPROC>(outsideProc));
    const int before = countA;
    EXPECT_EQ(probe(), (Seen{"outside", "own"}));
    EXPECT_EQ(countA, before);
    // Added again, the hook takes up its old place in the chain.
    EXPECT_EQ(addSubclass<hookA>(window, &countA), own);
    EXPECT_EQ(probe(), (Seen{"outside", "A", "own"}));
}

TEST_F(SubclassTest, TheChainEndsWithTheWindowAfterEveryProcedureSawItsLastMessage) {
    ASSERT_NE(addSubclass<hookA>(window, &countA), nullptr);
    ASSERT_NE(addSubclass<hookB>(window, &countB), nullptr);
    g_seen.clear();
    DestroyWindow(window);
    EXPECT_EQ(g_seen, (Seen{"B:end", "A:end", "own:end"}));
    EXPECT_EQ(subclassCount(window), 0);
    EXPECT_FALSE(hasSubclass<hookA>(window));
}

}  // namespace
