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

// operation: 1 edit, 2 explore, 3 find, 4 open, 5 print, other: the default
// verb. showMode 1..6: hide, normal, minimised, maximised, show without
// activating, minimise; other: normal. Empty directory: the current one.
// Returns ShellExecute's result.
int shellExecute(int operation, const Text& file, const Text& parameters = {},
                 const Text& directory = {}, int showMode = 2);

// The pieces of shellExecute, for tests.
const wchar_t* shellVerb(int operation);  // nullptr: the default verb
int shellShowCommand(int showMode);
