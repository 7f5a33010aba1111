// A test program that starts exactly as the real one and then, from the
// main window's creation event, does what its first argument asks:
//   runtime-error          raises runtime error 4
//   unit-error             reads a control of the host dialog, not loaded
//   end-from-thread CODE   a worker thread ends the program with CODE
//   host-dialog | about | settings
//                          opens that window, owned by the main window
//   alloc-fail             asks the heap for more than it can give
//   locks                  leaves a lock undeleted and ends; a runtime release
//                          notes how many locks are still live
//   startup                runs the program's own start-up, notes the tray
//                          icon and its balloon, and ends
// It writes "probe.txt" in its current directory: the current directory
// at start-up and, for end-from-thread, one line per exit-routine run.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <thread>

#include "app/program.h"
#include "app/startup.h"
#include "runtime/codepage.h"
#include "runtime/lock.h"
#include "runtime/runtime_error.h"
#include "runtime/win32/program.h"
#include "runtime/win32/window_commands.h"
#include "ui/about_window.h"
#include "ui/ui_state.h"
#include "ui/host_dialog.h"
#include "ui/main_window.h"
#include "ui/tray.h"

namespace {

std::wstring g_mode;
int g_code = 0;

void note(const std::string& line) {
    if (FILE* f = std::fopen("probe.txt", "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

void onExit() { note(isUiThread() ? "exit routine on ui thread" : "exit routine on other thread"); }

// Opens the asked-for window once the main window is on the screen, so that
// it comes up in front of it.
void CALLBACK openWindow(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (g_mode == L"host-dialog") {
        loadWindow(hostDialog(), &mainWindow());
        setProperty(unitOf(hostDialog()), Property::Title, Text("添加"));
    }
    if (g_mode == L"about") loadWindow(aboutWindow(), &mainWindow());
    if (g_mode == L"settings") uiActions().openSettings();  // as "设置…" does
}

// Runs after the runtime's own deletion of the locks still registered.
void noteLiveLocks() { note("live locks " + std::to_string(liveLockCount())); }

#ifndef _WIN64
volatile std::size_t g_tooMuch = 0x7FFFFFF0;  // more than a 32-bit process can have
#else
volatile std::size_t g_tooMuch = 0x7FFFFFFFFFF0;  // the whole 64-bit user address space
#endif

void startUp() {
    wchar_t dir[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, dir);
    note("cwd " + gbkToUtf8(fromWide(dir)));
    if (g_mode == L"runtime-error") raiseRuntimeError({4, "数组成员引用下标必须大于等于1"});
    if (g_mode == L"unit-error") getProperty(unitOf(hostDialog(), HostDlg::编辑框_备注名称), Property::Content);
    if (g_mode == L"end-from-thread") {
        std::thread([] {
            Sleep(300);
            endProgram(g_code);
        }).detach();
    }
    if (g_mode == L"host-dialog" || g_mode == L"about" || g_mode == L"settings") SetTimer(nullptr, 0, 100, openWindow);
    if (g_mode == L"alloc-fail") note("allocated " + std::to_string(reinterpret_cast<std::uintptr_t>(new char[g_tooMuch])));
    if (g_mode == L"startup") {
        OnMainWindowCreated();
        const NOTIFYICONDATAW& tray = trayRecord();
        note("tray " + std::to_string(trayIconInstalled()) + " tip " + gbkToUtf8(fromWide(tray.szTip)) +
             " balloon " + gbkToUtf8(fromWide(tray.szInfoTitle)) + "|" + gbkToUtf8(fromWide(tray.szInfo)));
        endProgram(0);
    }
    if (g_mode == L"locks") {
        note("created " + std::to_string(createLock() != 0));
        registerRuntimeRelease(noteLiveLocks);
        endProgram(0);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    g_mode = argc > 1 ? argv[1] : L"";
    g_code = argc > 2 ? _wtoi(argv[2]) : 0;
    registerExitRoutine(onExit);
    UiState ui;
    uiActions().startUp = startUp;
    runProgram();
}
