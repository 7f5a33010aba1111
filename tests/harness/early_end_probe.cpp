// A test program that ends in the middle of its run, for the checks in this
// folder's CMakeLists: they prove that scripts/gtest-run fails such a run.
// The ending tests are disabled, so a plain run of this program passes; the
// checks ask for one of them by name.
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Runs first, so an ending test leaves an ordinary passed test before it, as
// a real run that dies halfway would.
TEST(EarlyEndProbe, Passes) {
  EXPECT_EQ(2 + 2, 4);
}

// Ends the process with code 0 before GoogleTest can print its summary: what
// ExitProcess(0), exit(0) or an exception handler that ends the process does.
TEST(EarlyEndProbe, DISABLED_ExitsWithZero) {
  std::_Exit(EXIT_SUCCESS);
}

// Writes to address 0. Under Wine the exit code that follows is usually the
// access violation's low byte, but now and then 0.
TEST(EarlyEndProbe, DISABLED_WritesToAddressZero) {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
}

}  // namespace
