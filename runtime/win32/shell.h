// Shell commands: the system's kind, opening a web address, starting a file.
// Any thread may call them.
#pragma once

#include "runtime/text.h"

// 5/6 for version 10.0 (workstation/other), 7/8 for 6.3, 9/10 for 6.2,
// 11/12 for 6.1, 14/13 for 6.0; otherwise 1 Win32s, 2 Windows 9x, 3 NT, 0.
int osKind();

// Opens the address with the verb "open"; owner: a top-level window titled
// "Microsoft Internet Explorer" when one exists.
void openUrl(const Text& url);

// The runtime's numbering of shellExecute's verbs; any other number runs
// the file's default verb.
namespace ShellOperation {
constexpr int Default = 0, Edit = 1, Explore = 2, Find = 3, Open = 4, Print = 5;
}  // namespace ShellOperation

// The runtime's numbering of the show modes (not the system's SW_ numbers);
// any other number shows the window normally.
namespace ShowMode {
constexpr int Hide = 1;        // SW_HIDE
constexpr int Normal = 2;      // SW_SHOWNORMAL
constexpr int Minimised = 3;   // SW_SHOWMINIMIZED
constexpr int Maximised = 4;   // SW_SHOWMAXIMIZED
constexpr int NoActivate = 5;  // SW_SHOWNA
constexpr int Minimise = 6;    // SW_MINIMIZE
}  // namespace ShowMode

// operation: a ShellOperation; showMode: a ShowMode. Empty directory: the
// current one. Returns ShellExecute's result.
int shellExecute(int operation, const Text& file, const Text& parameters = {},
                 const Text& directory = {}, int showMode = ShowMode::Normal);

// The pieces of shellExecute, for tests.
const wchar_t* shellVerb(int operation);  // nullptr: the default verb
int shellShowCommand(int showMode);
