// The start-up sequence: the main window's creation event turns the empty
// window into the running monitor (run-folder check, single instance,
// database, host list and one task per host, list and tab looks, log lock,
// log-filter dates, tray icon and welcome balloon).
// Threads: the user-interface thread, once, from the main window's creation.
#pragma once

#include "runtime/text.h"

void OnMainWindowCreated();

// True for a run directory inside an archive tool's temporary extraction
// folder ("\Local Settings\Temp" or "\AppData\Local\Temp", case-sensitive).
bool isTemporaryFolder(const Text& runDirectory);

// The instance name and marker of this program.
constexpr const char* kInstanceName = "{2d968867-3bdf-45a2-a79b-83fc61b24e05}";
constexpr int kInstanceMarker = 83612405;
