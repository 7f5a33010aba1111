// One running instance per logon: a named mutex held for the life of the
// first instance, and a window property that lets a later instance find the
// first one's main window and bring it to the front. The same name serves
// as mutex name and property name.
// Threads: the user-interface thread (start-up).
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/text.h"

constexpr const char* kDefaultInstanceName = "51A8F107-E6FA-4352-BC49-C1A68523C650";
constexpr std::int32_t kDefaultInstanceMarker = 123456789;

// True when another instance holds the name. Otherwise the calling process
// now owns the mutex, until it ends.
bool CheckOtherInstance(const Text& name = kDefaultInstanceName);
// Restores (when minimised or hidden in the tray) and brings to the
// foreground the first top-level window whose property `name` equals
// marker; does nothing when there is none.
void ActivateOtherInstance(const Text& name = kDefaultInstanceName,
                           std::int32_t marker = kDefaultInstanceMarker);
void MarkInstanceWindow(HWND window, const Text& name = kDefaultInstanceName,
                        std::int32_t marker = kDefaultInstanceMarker);
