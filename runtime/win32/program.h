// The program's runtime state and life: start-up of the runtime, the message
// loop with idle processing, exit routines and the end of the program.
// Windows only.
//
// Threads: startRuntime, runMessageLoop, registerExitRoutine and
// addIdleCallback belong to the user-interface thread (the thread that
// called startRuntime). endProgram may be called from any thread.
#pragma once

#include <windows.h>

#include "runtime/text.h"

// Message the hidden owner window receives from a thread other than the
// user-interface thread that asks it to end the program (wParam: exit code).
constexpr UINT kEndProgramMessage = 0x83E7;

// Runtime start-up: OLE (once), run directory made the current directory,
// the hidden owner window, the user-interface thread. True on success.
bool startRuntime();

bool isUiThread();
DWORD uiThreadId();
HWND ownerWindow();  // the hidden owner window; nullptr before startRuntime
HINSTANCE programInstance();

// Exit routines run once, in registration order, when the program ends.
void registerExitRoutine(void (*routine)());

// Steps of the runtime's own release at the end, after the exit routines
// (locks still registered, late-bound libraries); run in registration order.
void registerRuntimeRelease(void (*release)());

// Idle callbacks run while no message waits, last registered first; one is
// dropped as soon as its window no longer exists.
void addIdleCallback(HWND window, void (*routine)(void* argument), void* argument);

// Runs until WM_QUIT; returns its exit code.
int runMessageLoop();

// Pre-translation of a message fetched by the loop (the dialog keys of the
// engine's windows). Returns true when the message was consumed.
using MessageFilter = bool (*)(MSG& msg);
void setMessageFilter(MessageFilter filter);

// What the loop does with one fetched message: the filter, then translation
// and dispatch. (Tests pump their messages through it.)
void processMessage(MSG& msg);

// Ends the program with the exit code; does not return. From a thread other
// than the user-interface thread the user-interface thread carries out the
// end (message 0x83E7 to the hidden owner window).
[[noreturn]] void endProgram(int exitCode);

// True once the end of the program has begun.
bool programEnding();
