// The program's icon in the notification area: one icon record kept
// between calls (add, modify, balloon, remove), and the tray procedure that
// replaces the main window's procedure while the icon is installed
// (runtime/win32/subclass.h) and hands the icon's mouse messages (callback
// message 123456) to the tray event handler.
//
// The program's icon is the TrayIcon of its UiState (ui/ui_state.h); the
// free commands below act on that one.
//
// Threads: the user-interface thread only.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <vector>

#include "runtime/text.h"

constexpr UINT kTrayCallbackMessage = 123456;
// The record size the shell gets: NOTIFYICONDATAW up to dwInfoFlags (936
// bytes in the 32-bit program; wider handles make it longer in the 64-bit
// stand-in build).
#ifdef _WIN64
constexpr DWORD kTrayRecordSize = 952;
#else
constexpr DWORD kTrayRecordSize = 936;
#endif

using TrayEventHandler = void (*)(int mouseMessage);

struct SubclassCall;

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon();  // an installed icon is removed
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // With an icon installed: rebuilds the icon when iconFile is given, sets
    // the tip when setTip, and modifies the shell icon. Otherwise installs
    // the tray procedure on window and adds the icon. iconFile: an ICO
    // file, its first image is used.
    void add(HWND window, const std::vector<std::uint8_t>* iconFile, const Text& tip, bool setTip,
             TrayEventHandler handler);
    void showBalloon(const Text& title, const Text& text, DWORD iconFlag = NIIF_INFO);
    // Puts the saved procedure back and deletes the shell icon.
    void remove();
    bool installed() const { return savedProc_ != nullptr; }
    const NOTIFYICONDATAW& record() const { return record_; }

private:
    static LRESULT trayProc(const SubclassCall& call, void* self);
    void readd();
    void replaceIcon(const std::vector<std::uint8_t>& file);

    NOTIFYICONDATAW record_{};
    WNDPROC savedProc_ = nullptr;  // the procedure the tray procedure replaced
    TrayEventHandler handler_ = nullptr;
    HWND window_ = nullptr;
    HICON icon_ = nullptr;  // owned
};

// The program's tray icon (the current UiState's).
void addTrayIcon(HWND window, const std::vector<std::uint8_t>* iconFile, const Text& tip, bool setTip,
                 TrayEventHandler handler);
void showTrayBalloon(const Text& title, const Text& text, DWORD iconFlag = NIIF_INFO);
// Puts the saved procedure back and deletes the shell icon.
void removeTrayIcon();
bool trayIconInstalled();
const NOTIFYICONDATAW& trayRecord();  // the kept record (tests)

// The program's 16 x 16, 32-bit icon as an ICO file of 1,150 bytes.
const std::vector<std::uint8_t>& programIconFile();

// The icon's pictures for the hosts' worst state: the program's own when
// all is well, the same bars in orange (high latency), red (a host down) or
// grey (no host running).
enum class TrayTone { normal, high, down, idle };
const std::vector<std::uint8_t>& trayIconFile(TrayTone tone);

// The shell's broadcast after it (re)starts: the icon must be added again.
UINT taskbarCreatedMessage();

// The main window's tray event handler: left button down or double click
// shows the main window, right button down pops up the menu "程序"; a click
// on a balloon shows the main window too.
void TrayEvent(int mouseMessage);
// Makes the main window visible, restored and centred on the screen.
void showMainWindowCentred();
