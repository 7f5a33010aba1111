// The program's exit sequence (runtime/exit_sequence.h): stop the monitor
// tasks and wait for them (bounded), close the database, free the late-bound
// libraries (kept when a task outlived the wait). Features that
// must finish before the database closes (flushing history, closing outage
// episodes) add their step before kCloseDatabaseStep at start-up.
//
// Threads: the user-interface thread only.
#pragma once

#include "runtime/exit_sequence.h"

inline constexpr const char* kStopTasksStep = "stop tasks";
inline constexpr const char* kCloseDatabaseStep = "close database";
inline constexpr const char* kFreeLibrariesStep = "free platform libraries";

ExitSequence& programExitSequence();

// Adds the three steps above; once, at the program's start.
void installExitSteps();

// Runs every step not run yet: the program's end routine, and whatever else
// ends the program (the session ending). Running it again does nothing.
void runExitSequence();
