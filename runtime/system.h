// Where the program runs from. Windows: the module file name; POSIX:
// /proc/self/exe. Any thread may call them.
#pragma once

#include "runtime/text.h"

Text runDirectory();    // no trailing separator; a drive root gives "C:"
Text executableName();  // file name without its directory
// Whether runDirectory() names the folder exactly. A path with a character
// the code page lacks (an emoji, Korean) reads with "?" in its place, and
// no file beside the program can be reached by that name.
bool runDirectoryIsExact();
