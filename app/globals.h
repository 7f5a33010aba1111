// The application's global objects: constructed by the program's start
// (before any window exists), released by the exit sequence's
// close-database step (app/exit_steps.h).
// programDatabase is the one database object of the process; any thread may
// use it between start and end (it serialises its own calls).
#pragma once

#include "store/sqlite_db.h"

void initialiseGlobals();
void releaseGlobals();  // runs once; later calls do nothing

SqliteDB& programDatabase();
