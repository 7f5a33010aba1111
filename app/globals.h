// The application's global objects: constructed by the program's start
// (before any window exists), released by its exit routine.
// programDatabase is the one database object of the process; any thread may
// use it between start and end (it serialises its own calls).
#pragma once

#include "store/sqlite_db.h"

void initialiseGlobals();
void releaseGlobals();  // the exit routine's work; runs once

SqliteDB& programDatabase();
