// Program entry: the platform's start-up, then the program's own.
#include <windows.h>

#include "app/program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { runProgram(); }
