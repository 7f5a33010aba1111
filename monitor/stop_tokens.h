// The stop events of monitor tasks, named by tokens.
//
// A host's `handle` column stores its task's token. Tokens count up from 1
// and are never reused within the process, unlike system handles, which are
// recycled once closed: a stale value left in the column (a stopped task's,
// one written by an earlier process) names no live event or, at worst, the
// long-ended task it was made for, never another host's task. A token stays
// live from createStopToken until its task ends (releaseStopToken); setting
// a token that is not live does nothing.
//
// Threads: any thread may call these, concurrently.
#pragma once

#include <cstdint>
#include <memory>

#include "runtime/stop_event.h"

// A new, unset event and its token; 0 when no event could be made.
std::int32_t createStopToken();
// Sets the token's event when the token is live.
void setStopToken(std::int32_t token);
// The task's share of its event; null when the token is not live.
std::shared_ptr<StopEvent> acquireStopToken(std::int32_t token);
// The token names nothing from now on; the event goes with its last share.
void releaseStopToken(std::int32_t token);
// How many tokens are live (tasks started and not ended).
int liveStopTokens();
// Waits until no token is live or `timeoutMs` has passed; true when none is
// live. The end of the program waits here, bounded, before it frees the
// libraries a task may still be calling into.
bool waitNoLiveStopTokens(int timeoutMs);
