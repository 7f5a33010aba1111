// The host list's four status icons (18 x 12, 32-bit with mask), drawn by
// the program: 0 green, 1 orange, 2 red, 3 dark grey signal bars, for the
// latency classes good, normal, abnormal and timed out.
#pragma once

#include <windows.h>
#include <commctrl.h>

constexpr int kStatusIconWidth = 18;
constexpr int kStatusIconHeight = 12;

// A new image list with the four icons; the caller owns it (nullptr on failure).
HIMAGELIST createStatusIcons();

// Template hook of the host list: sub-item images on, the icons as its
// small-image list (the list destroys it with itself).
void attachStatusIcons(void* listView);
