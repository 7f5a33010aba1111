// The statistics tooltip of the host list: hovering a row shows the host's
// figures in a tracking tooltip of the program's own. Wine's list view has
// no info tips, so the row is hit-tested on every mouse move instead.
//
// Threads: the user-interface thread only; the main window must be loaded.
#pragma once

#include <windows.h>

#include <functional>

#include "runtime/text.h"

// The tip of a host (by id), empty for none.
using HostTipSource = std::function<Text(int hostId)>;

// Puts the tooltip on a list view whose items carry host ids as their item
// data; the tooltip window is owned by `owner`. Its state lives as long as
// the list. Returns the tooltip window; nullptr when the list has one
// already or is no window.
HWND installHostStatsTip(HWND list, HWND owner, HostTipSource source);
// The same on the main window's host list, after the main window is made.
HWND installHostStatsTip(HostTipSource source);
