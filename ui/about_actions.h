// The about window's texts and link, and the tray's "更多软件".
// The user-interface thread only.
#pragma once

#include "runtime/text.h"

// Sets the four labels (rights notice first) and takes the link address
// from the link label.
void fillAboutTexts();
void followLink();     // opens the link address of the last opened about window
void openMakerSite();  // opens the maker's web address

const Text& linkAddress();
