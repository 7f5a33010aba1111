// Reads the tooltip windows of the notification area from outside. Under
// Wine the icons, their tips and the balloons belong to the desktop process
// (explorer): a balloon is a tracking tooltip with a title, an icon's tip is
// the tool text of the icon's tooltip. Their texts are read through memory
// of that process, as the list cells are. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct TooltipSeen {
    HWND window = nullptr;
    bool visible = false;
    std::wstring title;              // TTM_GETTITLE: a balloon's title, empty for a plain tip
    std::vector<std::wstring> tools;  // each tool's text
};

// Every tooltip window of processes other than this one.
std::vector<TooltipSeen> tooltips();

}  // namespace e2e
