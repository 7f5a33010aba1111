// The about window's 380 x 90 banner (24-bit bitmap), drawn by the program.
#pragma once

#include <windows.h>

HBITMAP createBanner();          // the caller owns it
void attachBanner(void* picture);  // template hook: the picture box takes it
