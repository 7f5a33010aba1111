// The log export in the program: the log menu's "导出…" and the progress
// window's "取消" (ui/log_export.h), and its end in the exit sequence.
// The user-interface thread only.
#pragma once

#include "runtime/text.h"

// At start-up, once database.db is known; the export opens it on a
// connection of its own.
void startProgramExport(const Text& databasePath);
