// One thread, the user-interface thread: the runtime (OLE included) is
// started once before the tests.
#include <gtest/gtest.h>

#include "runtime/win32/program.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    startRuntime();
    return RUN_ALL_TESTS();
}
