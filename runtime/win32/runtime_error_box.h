// The Windows report of a runtime error: the "运行时出错!" box (caption "错误",
// error icon, no owner), then the end of the process with exit code -1.
// Windows only; installed once by the program entry, on any thread.
#pragma once

void installRuntimeErrorBox();
