// The statistics tooltip of the host list: hovering a row shows the host's
// figures in a tracking tooltip of the program's own. Wine's list view has
// no info tips, so the row is hit-tested on every mouse move instead.
//
// Threads: the user-interface thread only; the main window must be loaded.
#pragma once

#include <functional>

#include "runtime/text.h"

// The tip of a host (by id), empty for none.
using HostTipSource = std::function<Text(int hostId)>;

// Puts the tooltip on the host list; once, after the main window is made.
void installHostStatsTip(HostTipSource source);
