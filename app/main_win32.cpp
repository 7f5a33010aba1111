// Program entry: the platform's start-up, then the program's own.
#include <windows.h>

#include "app/program.h"
#include "ui/ui_state.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    UiState ui;  // lives to the end: the process ends inside runProgram
    runProgram();
}
