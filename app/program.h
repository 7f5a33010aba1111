// The program's start, in order: runtime start-up, floating-point unit
// reset, global objects, the exit routine, the module initialisers (random
// seed, crash guard, main window), then the message loop; the end of the
// loop, or no window loaded, ends the program with exit code 0.
// Called once, on the thread that becomes the user-interface thread, with
// the user-interface state (ui/ui_state.h) made by the caller; the caller
// may fill action slots first, and those are kept.
#pragma once

[[noreturn]] void runProgram();
