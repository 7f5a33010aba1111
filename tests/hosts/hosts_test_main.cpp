// The tests run on one thread that is the user-interface thread: the
// runtime is started once and the windows' events are routed once.
#include <gtest/gtest.h>

#include "runtime/win32/program.h"
#include "ui/routing.h"
#include "ui/ui_state.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    startRuntime();
    routeWindowEvents();
    UiState ui;  // the state of tests that make none of their own
    return RUN_ALL_TESTS();
}
