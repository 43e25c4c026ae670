// The runner under every process test, checked with plain Linux programs: if
// it lost input, kept a variable it should remove or failed to kill a child,
// the tests of the Windows programs would pass or fail for the wrong reason.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "harness/process.h"

namespace {

using harness::ProcessOptions;
using harness::ProcessResult;
using namespace std::chrono_literals;

ProcessOptions Shell(const std::string& script) {
  ProcessOptions options;
  options.argv = {"/bin/sh", "-c", script};
  options.environment = harness::InheritedEnvironment();
  options.timeout = 10s;
  return options;
}

TEST(ProcessRunnerTest, PassesOnlyTheEnvironmentGiven) {
  ::setenv("HARNESS_LEFT_OVER", "from the test program", 1);
  ProcessOptions options =
      Shell("echo \"${HARNESS_LEFT_OVER-unset} ${HARNESS_SET-unset}\"; exit 7");
  options.environment = harness::InheritedEnvironment();
  options.environment.erase("HARNESS_LEFT_OVER");
  options.environment["HARNESS_SET"] = "a b=c";
  const ProcessResult result = harness::RunProcess(options);
  ::unsetenv("HARNESS_LEFT_OVER");
  EXPECT_EQ(result.output, "unset a b=c\n");
  EXPECT_EQ(result.exit_code, 7);
  EXPECT_FALSE(result.timed_out);
}

TEST(ProcessRunnerTest, DeliversInputInPiecesToAPipeOrAFile) {
  const std::string first("line one\r\n\0\xff", 12);
  const std::string second = "and the rest";
  for (const bool to_file : {false, true}) {
    ProcessOptions options = Shell("cat; echo err >&2");
    options.input_pieces = {first, second};
    options.pause = 300ms;
    options.output_to_file = to_file;
    const ProcessResult result = harness::RunProcess(options);
    EXPECT_EQ(result.output, first + second) << "to file: " << to_file;
    EXPECT_EQ(result.errors, "err\n");
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_GE(result.elapsed_seconds, 0.3);
  }
  // Only the pause, then end of input: an empty first piece delays the rest.
  ProcessOptions delayed = Shell("cat");
  delayed.input_pieces = {"", "late"};
  delayed.pause = 300ms;
  const ProcessResult late = harness::RunProcess(delayed);
  EXPECT_EQ(late.output, "late");
  EXPECT_GE(late.elapsed_seconds, 0.3);
}

TEST(ProcessRunnerTest, KillsAChildThatOutlivesItsTimeout) {
  // Input left open: cat waits for more until it is killed.
  ProcessOptions options = Shell("cat");
  options.input_pieces = {"partial"};
  options.close_input = false;
  options.timeout = 500ms;
  const ProcessResult result = harness::RunProcess(options);
  EXPECT_TRUE(result.timed_out);
  EXPECT_FALSE(result.exit_code.has_value());
  EXPECT_EQ(result.signal, SIGKILL);
  EXPECT_EQ(result.output, "partial");

  // With a progress count, the timeout runs from its last change: a child
  // that gets on (grows a file) for longer than the timeout is left alone,
  // and killed once it stops.
  const std::string file = ::testing::TempDir() + "harness-progress";
  std::remove(file.c_str());
  ProcessOptions slow =
      Shell("for i in 1 2 3 4 5; do sleep 0.3; echo $i >>'" + file + "'; done; cat");
  slow.close_input = false;
  slow.timeout = 1s;
  slow.progress = [file] {
    struct stat info;
    return ::stat(file.c_str(), &info) == 0 ? static_cast<std::size_t>(info.st_size) : 0;
  };
  const ProcessResult stalled = harness::RunProcess(slow);
  std::remove(file.c_str());
  EXPECT_TRUE(stalled.timed_out);
  EXPECT_GE(stalled.elapsed_seconds, 2.5);
}

}  // namespace
