// chooseSaveFile: the system's save-file dialog for a file the program
// writes for the user (an export, a report).
//
// The dialog asks before replacing an existing file, wants an existing
// folder, and leaves the process's current folder alone (the program finds
// its database beside itself, not through the current folder). A chosen
// path with a character GBK cannot hold (the program's names are GBK) is
// refused with a message box and the dialog shows again, rather than
// writing to a name with "?" in it.
//
// The user-interface thread (the dialog is modal to `owner` and runs its own
// message loop). Texts are GBK.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/text.h"

struct SaveFileRequest {
    Text title;               // the dialog's caption
    Text initialFolder;       // empty: the system's choice
    Text defaultName;         // the file name offered, e.g. "日志_20240101_120000.csv"
    Text filterDescription;   // e.g. "CSV 文件 (*.csv)"
    Text filterPattern;       // e.g. "*.csv"
    Text defaultExtension;    // without the dot, added when the user types none
};

// True with `path` set to the chosen full path; false when the user
// cancelled or the dialog could not be shown (`path` untouched).
bool chooseSaveFile(HWND owner, const SaveFileRequest& request, Text& path);

// The message shown for a path GBK cannot hold.
extern const char* const kSavePathNotGbkMessage;

// The dialog's filter as the system takes it: description NUL pattern NUL
// NUL. For tests.
std::wstring saveFileFilter(const SaveFileRequest& request);
