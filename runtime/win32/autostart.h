// Starting with Windows: a value under the user's
// Software\Microsoft\Windows\CurrentVersion\Run key, holding an executable's
// quoted full path. The value is the only record of the choice, so what the
// settings window shows is what Windows will do.
// Any thread may call these.
#pragma once

#include "runtime/text.h"

// The value's text for this process's executable: its full path in quotes
// (a path with spaces would otherwise be split into arguments).
Text autostartCommand();
// Whether the value exists (whatever it holds).
bool autostartRegistered(const Text& valueName);
// Writes the value with `command`, or deletes it; true when the key now says
// what was asked (deleting a missing value succeeds).
bool setAutostart(const Text& valueName, bool on, const Text& command);
