// The user-interface layer's state that has an owner: the action slots, the
// tray icon and the list colours. The program makes one at start and keeps
// it to the end; a test makes its own, one per test.
//
// While one lives it is the current one: the windows' routing and the
// layer's free commands (uiActions, addTrayIcon, setCellColours, ...) act on
// it. One made while another lives stands in for it until it goes, so a
// test's own state can sit inside the one its test program made.
//
// Threads: the user-interface thread only.
#pragma once

#include "ui/actions.h"
#include "ui/list_colours.h"
#include "ui/tray.h"

class UiState {
public:
    UiState();
    ~UiState();
    UiState(const UiState&) = delete;
    UiState& operator=(const UiState&) = delete;

    UiActions actions;
    TrayIcon tray;
    ListColours listColours;

private:
    UiState* outer_;  // the state current before this one
};

// The current state. Using the layer without one is a runtime error.
UiState& uiState();
