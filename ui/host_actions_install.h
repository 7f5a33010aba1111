// Fills the action slots of the host menu and dialog, the log page and log
// menu, the about window and the web links. Call once at start, on the
// user-interface thread, before the main window is loaded; db (the
// program's connection) must outlive the windows. Slots already filled
// are left as they are.
#pragma once

class SqliteDB;

void installHostActions(SqliteDB& db);
