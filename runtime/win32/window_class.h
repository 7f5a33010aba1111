// The window class every window of the engine is made from. Windows only;
// the user-interface thread only.
#pragma once

#include <windows.h>

constexpr const wchar_t* kWindowClass = L"QernoWindow";

// Registers the class (and the common controls the templates use) once.
// False when registration failed; a later call tries again.
bool registerWindowClass();
