// The colour picker: shows its colour (a Windows colour value 0x00BBGGRR)
// and opens the system colour dialog when clicked. Its value is read and
// written with kColourPickerGet / kColourPickerSet (runtime/win32/window.h),
// which getProperty/setProperty property 8 use. The user-interface thread only.
#pragma once

// Registers the window class once; the program and the tests call it
// before loading a window that holds a colour picker.
bool registerColourPicker();
