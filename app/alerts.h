// The alerts: every running host's health, fed on the user-interface thread
// by the monitor tasks' status reports and by the task registry's starts
// and stops, and shown by the tray: the icon's picture and tip, and grouped
// balloons (with the system's sounds when switched on).
//
// Threads: the user-interface thread only.
#pragma once

#include <windows.h>

#include "health/health_monitor.h"

// Starts the alerts on the main window (the tray icon is installed): the
// hosts running now are taken in, the start-up hold-back begins, and a
// timer shows grouped notices when they are due. Once, at start-up.
//
// The environment variable QERNO_TEST_HOLDBACK_SECONDS, read here once,
// shortens the hold-back for the end-to-end tests, which would otherwise
// wait 30 s at every start; it is for tests only and users never set it.
void startAlerts(HWND main);

// The program's health monitor (settings, muting, pausing).
HealthMonitor& programHealth();

// Settings in force from now on: the counts, notices on or off and the sounds.
void applyHealthSettings(const HealthSettings& settings);

// Now, on both clocks the health layer uses.
Instant healthNow();
