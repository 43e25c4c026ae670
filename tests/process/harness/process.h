// Starting Linux processes (wine among them) with chosen standard handles,
// feeding their input, collecting their output and bounding their time.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_PROCESS_H_
#define TUNARO_TESTS_PROCESS_HARNESS_PROCESS_H_

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace harness {

using Environment = std::map<std::string, std::string>;

// This process's own environment.
Environment InheritedEnvironment();

// The first executable called `name` on $PATH, or empty.
std::string FindOnPath(const std::string& name);

struct ProcessOptions {
  std::vector<std::string> argv;  // argv[0] is a path, not looked up on $PATH
  Environment environment;        // the child's whole environment
  std::string working_directory;  // empty: this process's
  // Written to standard input (a pipe) one after another, with `pause`
  // between them, so a reader sees the input arrive in pieces.
  std::vector<std::string> input_pieces;
  std::chrono::milliseconds pause{200};
  // Close standard input once everything is written; otherwise it stays open
  // until the child ends, like a client that never finishes its request.
  bool close_input = true;
  // Standard output goes to a regular file (made in a private directory and
  // read afterwards) instead of a pipe.
  bool output_to_file = false;
  // The child is killed when it has not ended after `timeout`. With
  // `progress` (a number that changes while the child gets on, such as the
  // size of the player's log), `timeout` counts from the last change of it
  // or of the output instead, so a slow run on a loaded machine is not taken
  // for a hung one; `limit` still bounds the whole run.
  std::chrono::milliseconds timeout{30000};
  std::function<std::size_t()> progress;
  std::chrono::milliseconds limit{std::chrono::minutes(15)};
};

struct ProcessResult {
  std::string output;            // standard output, bytes as written
  std::string errors;            // standard error
  std::optional<int> exit_code;  // set when the child exited by itself (not when it never started)
  int signal = 0;                // the signal that ended it, if one did
  bool timed_out = false;        // killed at the timeout
  double elapsed_seconds = 0;
};

// Runs a child to completion (or the timeout, when it is killed by pid).
ProcessResult RunProcess(const ProcessOptions& options);

// A child that keeps running while the test goes on. Standard input is
// /dev/null; standard output and error go to a file.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv, const Environment& environment,
               const std::string& working_directory, const std::string& output_file);
  ~ChildProcess();  // Kill()
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool spawned() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // False once it has ended (and been reaped).
  bool Running();
  // Waits at most `timeout` for it to end by itself.
  bool WaitForExit(std::chrono::milliseconds timeout);
  // Its exit code once it has exited by itself.
  std::optional<int> exit_code() const { return exit_code_; }
  // SIGKILL by pid, then waits until it is gone; nothing if it already is.
  void Kill();

 private:
  void Reaped(int status);

  pid_t pid_ = -1;
  bool reaped_ = false;
  std::optional<int> exit_code_;
};

}  // namespace harness

#endif  // TUNARO_TESTS_PROCESS_HARNESS_PROCESS_H_
