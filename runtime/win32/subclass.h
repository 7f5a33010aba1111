// Subclassing: the one way the program puts its own procedure in front of a
// window's. Each hook is a real window procedure of its own (one per hook
// function), so a window's procedure chain reads as it is: GWLP_WNDPROC is
// the newest hook, and the procedure a hook replaced is the one it calls.
// Windows only.
//
// Why not SetWindowSubclass or a window property: both look the hook up
// in a window property on every message, and under Wine each property read
// is a round trip to the server (a dozen or more per host-list update).
// The chain is kept here in memory, by window handle.
//
// Hooks can be removed in any order: a hook in the middle of the chain is
// unlinked by pointing the one above it at what it replaced. The chain goes
// away by itself after the window's WM_NCDESTROY.
//
// Threads: the thread that owns the window (the user-interface thread).
#pragma once

#include <windows.h>

// One message as a hook sees it, with the way on down the chain.
struct SubclassCall {
    HWND hwnd;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    WNDPROC previous;  // what the hook replaced; never nullptr

    // Passes the message (or another one) to the procedure the hook replaced.
    LRESULT next() const { return CallWindowProcW(previous, hwnd, msg, wp, lp); }
    LRESULT next(UINT message, WPARAM w, LPARAM l) const {
        return CallWindowProcW(previous, hwnd, message, w, l);
    }
};

// A hook: answers the message itself or returns call.next(). data is what
// addSubclass was given; the installer owns it and must remove the hook
// before freeing it (or let the window's end remove it).
using SubclassHook = LRESULT (*)(const SubclassCall& call, void* data);

namespace subclass_detail {
struct Link {
    WNDPROC procedure;  // the hook's own window procedure
    WNDPROC previous;
    void* data;
    // Removed while a procedure from outside the helper sat above it (one
    // that keeps this procedure as its own previous): it stays in the
    // chain, but only passes messages on.
    bool passThrough;
};
// The window's link whose procedure is `procedure`, copied; false when none.
bool findLink(HWND hwnd, WNDPROC procedure, Link& out);
WNDPROC add(HWND hwnd, WNDPROC procedure, void* data);
bool remove(HWND hwnd, WNDPROC procedure);
void windowEnded(HWND hwnd);

template <SubclassHook Hook>
LRESULT CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Link link{};
    // A window procedure called after its hook was removed (a caller kept
    // it, as the "oldWndProc" property lets one do) has no link: the
    // message ends at the default procedure.
    if (!findLink(hwnd, &procedure<Hook>, link)) return DefWindowProcW(hwnd, msg, wp, lp);
    const SubclassCall call{hwnd, msg, wp, lp, link.previous};
    const LRESULT result = link.passThrough ? call.next() : Hook(call, link.data);
    if (msg == WM_NCDESTROY) windowEnded(hwnd);
    return result;
}
}  // namespace subclass_detail

// The window procedure that stands for Hook in a chain.
template <SubclassHook Hook>
WNDPROC subclassProcedure() {
    return &subclass_detail::procedure<Hook>;
}

// Puts Hook in front of the window's procedure. Returns the procedure it
// replaced; nullptr when hwnd is no window or Hook is on it already (a hook
// is on a window at most once; the first data stays). A hook removed while
// an outside procedure sat above it takes up its old place again.
template <SubclassHook Hook>
WNDPROC addSubclass(HWND hwnd, void* data) {
    return subclass_detail::add(hwnd, subclassProcedure<Hook>(), data);
}

// Takes Hook out of the window's chain. False when it was not in it.
template <SubclassHook Hook>
bool removeSubclass(HWND hwnd) {
    return subclass_detail::remove(hwnd, subclassProcedure<Hook>());
}

template <SubclassHook Hook>
bool hasSubclass(HWND hwnd) {
    subclass_detail::Link link{};
    return subclass_detail::findLink(hwnd, subclassProcedure<Hook>(), link) && !link.passThrough;
}

// How many hooks the helper keeps for the window (tests: none after its end).
int subclassCount(HWND hwnd);
