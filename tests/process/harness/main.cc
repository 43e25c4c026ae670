// The process tests' main: one Wine prefix for the whole run.
#include <gtest/gtest.h>
#include <signal.h>

#include "harness/wine_prefix.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // A child that stops reading its input must not kill the test program.
  ::signal(SIGPIPE, SIG_IGN);
  ::testing::AddGlobalTestEnvironment(new harness::SharedWinePrefix);
  return RUN_ALL_TESTS();
}
