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
void startAlerts(HWND main);

// The program's health monitor (settings, muting, pausing).
HealthMonitor& programHealth();

// Settings in force from now on: the counts, notices on or off and the sounds.
void applyHealthSettings(const HealthSettings& settings);

// Now, on both clocks the health layer uses.
Instant healthNow();
