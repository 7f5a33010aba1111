// Reading what a report is made of from database.db, on a connection of its
// own: the window thread's shared connection (which the monitor tasks' log
// writes hold for their moments) is never held by a report's reads, and in
// WAL mode the reads never wait for a writer.
//
// Threads: the caller's; one reader per call.
#pragma once

#include "report/local_clock.h"
#include "report/report_figures.h"
#include "runtime/text.h"

// The history periods and outage rows of the request's hosts that touch its
// range. False when the file cannot be opened or read.
bool readReportInput(const Text& databasePath, const ReportRequest& request, const LocalClock& clock,
                     ReportInput& input);
