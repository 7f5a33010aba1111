// The log's writer thread in the program (monitor/log_writer.h): started
// with the database, handed to the monitor tasks, ended in the exit sequence
// once the tasks have stopped, before the database closes.
// The user-interface thread only.
#pragma once

#include "runtime/text.h"

// At start-up, once database.db is open and before any task starts. When
// the writer cannot start, the tasks write their rows themselves.
void startProgramLogWriter(const Text& databasePath);
