// What follows a crash report: presenting it and ending. Crash path: these
// run on the faulting thread inside exception dispatch and allocate nothing
// from the CRT heap.
#pragma once

// Composes the thread's full crash text, passes it to the option
// crashCallback (with nine zero words) and, when showMessageBox is 1, shows
// it in a box captioned "程序异常：" owned by this thread's top-level window
// of class ownerWindowClass (no owner when there is none).
void showCrash();

// Ends the process when this thread started at the executable's entry point
// (the main thread), otherwise only this thread (also when ntdll's
// NtQueryInformationThread is missing). Never returns.
[[noreturn]] void exitAfterCrash();

// The executable's entry point from its in-memory headers; 0 when the
// headers do not check out.
unsigned long mainEntryPoint();
