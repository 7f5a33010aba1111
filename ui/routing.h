// Connects the events of the three windows to their operations: the
// action slots (ui/actions.h), the re-layout of the main window, the popup
// menus of the host and log lists, and opening and closing the about
// window. Called once at start, before the main window is loaded.
#pragma once

void routeWindowEvents();
