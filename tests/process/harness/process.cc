#include "harness/process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "harness/files.h"
#include "harness/temp_dir.h"

extern char** environ;

namespace harness {
namespace {

using Clock = std::chrono::steady_clock;

// Standard handles to give a child: a descriptor for each of 0, 1 and 2.
struct ChildHandles {
  int input;
  int output;
  int errors;
};

// Starts the child through posix_spawn, with `handles` duplicated onto
// 0, 1 and 2; every other descriptor of ours is close-on-exec. Returns -1 on
// failure.
pid_t Spawn(const std::vector<std::string>& argv, const Environment& environment,
            const std::string& working_directory, const ChildHandles& handles) {
  std::vector<std::string> variables;
  for (const auto& [name, value] : environment) variables.push_back(name + "=" + value);
  std::vector<char*> argv_pointers;
  for (const std::string& argument : argv)
    argv_pointers.push_back(const_cast<char*>(argument.c_str()));
  argv_pointers.push_back(nullptr);
  std::vector<char*> env_pointers;
  for (std::string& variable : variables) env_pointers.push_back(variable.data());
  env_pointers.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, handles.input, 0);
  posix_spawn_file_actions_adddup2(&actions, handles.output, 1);
  posix_spawn_file_actions_adddup2(&actions, handles.errors, 2);
  if (!working_directory.empty()) {
    posix_spawn_file_actions_addchdir_np(&actions, working_directory.c_str());
  }
  // A child must not inherit our ignored SIGPIPE.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  const int error = posix_spawn(&pid, argv_pointers[0], &actions, &attributes, argv_pointers.data(),
                                env_pointers.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    std::fprintf(stderr, "harness: cannot start %s: %s\n", argv[0].c_str(), std::strerror(error));
    return -1;
  }
  return pid;
}

int OpenDevNull(int flags) { return ::open("/dev/null", flags | O_CLOEXEC); }

void CloseIfOpen(int* fd) {
  if (*fd >= 0) ::close(*fd);
  *fd = -1;
}

// Reads what is available from a non-blocking descriptor; closes it at end of
// file.
void Drain(int* fd, std::string* into) {
  char buffer[65536];
  while (*fd >= 0) {
    const ssize_t got = ::read(*fd, buffer, sizeof buffer);
    if (got > 0) {
      into->append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
      CloseIfOpen(fd);
    } else if (errno == EAGAIN) {
      return;
    }
  }
}

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Feeds the pieces of standard input as the child takes them.
class InputFeeder {
 public:
  InputFeeder(int fd, const ProcessOptions& options)
      : fd_(fd), pieces_(options.input_pieces), pause_(options.pause), close_(options.close_input) {
    SetNonBlocking(fd_);
    Step(Clock::now());
  }
  ~InputFeeder() { CloseIfOpen(&fd_); }

  // The descriptor to watch for writing now, or -1.
  int WantsToWrite(Clock::time_point now) const {
    return fd_ >= 0 && piece_ < pieces_.size() && now >= next_write_ ? fd_ : -1;
  }
  Clock::time_point next_write() const { return next_write_; }
  bool waiting() const { return fd_ >= 0 && piece_ < pieces_.size(); }

  void Write(Clock::time_point now) {
    const std::string& piece = pieces_[piece_];
    const ssize_t wrote = ::write(fd_, piece.data() + offset_, piece.size() - offset_);
    if (wrote < 0) {
      if (errno != EAGAIN && errno != EINTR) CloseIfOpen(&fd_);  // the child stopped reading
      return;
    }
    offset_ += static_cast<std::size_t>(wrote);
    if (offset_ < piece.size()) return;
    ++piece_;
    offset_ = 0;
    next_write_ = now + pause_;
    Step(now);
  }

  // Passes over empty pieces whose time has come (each still costs a pause,
  // so an empty first piece delays the rest) and closes the pipe after the
  // last piece when asked to.
  void Step(Clock::time_point now) {
    while (fd_ >= 0 && piece_ < pieces_.size() && pieces_[piece_].empty() && now >= next_write_) {
      ++piece_;
      next_write_ = now + pause_;
    }
    if (piece_ == pieces_.size() && close_) CloseIfOpen(&fd_);
  }

 private:
  int fd_;
  const std::vector<std::string>& pieces_;
  std::chrono::milliseconds pause_;
  bool close_;
  std::size_t piece_ = 0;
  std::size_t offset_ = 0;
  Clock::time_point next_write_ = Clock::now();
};

int MillisecondsUntil(Clock::time_point now, Clock::time_point then) {
  if (then <= now) return 0;
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(then - now).count() + 1);
}

void Decode(int status, std::optional<int>* exit_code, int* signal) {
  if (WIFEXITED(status)) *exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) *signal = WTERMSIG(status);
}

// When a child is killed: `timeout` after the start, or with a progress
// count, after the last sign of progress (but never after `limit`).
class Deadline {
 public:
  Deadline(const ProcessOptions& options, Clock::time_point start)
      : options_(options),
        limit_(start + (options.progress ? options.limit : options.timeout)),
        at_(start + options.timeout) {
    if (options_.progress) last_count_ = options_.progress();
  }
  // Checks for progress now and then (a count may cost a file system call).
  void Look(Clock::time_point now, std::size_t output_bytes) {
    if (!options_.progress || now < next_look_) return;
    next_look_ = now + std::chrono::milliseconds(200);
    const std::size_t count = options_.progress();
    if (count != last_count_ || output_bytes != last_output_) {
      last_count_ = count;
      last_output_ = output_bytes;
      at_ = now + options_.timeout;
    }
  }
  Clock::time_point at() const { return std::min(at_, limit_); }

 private:
  const ProcessOptions& options_;
  Clock::time_point limit_;
  Clock::time_point at_;
  Clock::time_point next_look_;
  std::size_t last_count_ = 0;
  std::size_t last_output_ = 0;
};

// Feeds the child's input and collects its output until it ends or the
// deadline passes, when it is killed.
void Supervise(pid_t pid, const ProcessOptions& options, Clock::time_point start, int input,
               int* output, int* errors, ProcessResult* result) {
  InputFeeder feeder(input, options);
  Deadline deadline_of_run(options, start);
  if (*output >= 0) SetNonBlocking(*output);
  SetNonBlocking(*errors);
  int status = 0;
  for (;;) {
    if (::waitpid(pid, &status, WNOHANG) == pid) break;
    const Clock::time_point now = Clock::now();
    deadline_of_run.Look(now, result->output.size() + result->errors.size());
    const Clock::time_point deadline = deadline_of_run.at();
    if (now >= deadline) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      result->timed_out = true;
      break;
    }
    feeder.Step(now);
    pollfd watched[3];
    nfds_t count = 0;
    for (int fd : {*output, *errors}) {
      if (fd >= 0) watched[count++] = {fd, POLLIN, 0};
    }
    const int writable = feeder.WantsToWrite(now);
    if (writable >= 0) watched[count++] = {writable, POLLOUT, 0};
    // Short naps: the child's end is noticed by polling waitpid, since a
    // process it started may hold its output open.
    int wait_ms = 5;
    if (feeder.waiting() && writable < 0) {
      wait_ms = std::min(wait_ms, MillisecondsUntil(now, feeder.next_write()));
    }
    wait_ms = std::min(wait_ms, MillisecondsUntil(now, deadline));
    if (::poll(watched, count, wait_ms) <= 0) continue;
    for (nfds_t i = 0; i < count; ++i) {
      if (watched[i].revents == 0) continue;
      if (watched[i].fd == *output) {
        Drain(output, &result->output);
      } else if (watched[i].fd == *errors) {
        Drain(errors, &result->errors);
      } else {
        feeder.Write(Clock::now());
      }
    }
  }
  Decode(status, &result->exit_code, &result->signal);
  Drain(output, &result->output);
  Drain(errors, &result->errors);
}

}  // namespace

Environment InheritedEnvironment() {
  Environment environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const char* equals = std::strchr(*variable, '=');
    if (equals == nullptr) continue;
    environment[std::string(*variable, static_cast<std::size_t>(equals - *variable))] = equals + 1;
  }
  return environment;
}

std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string directories = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= directories.size()) {
    std::size_t end = directories.find(':', start);
    if (end == std::string::npos) end = directories.size();
    const std::string candidate =
        (end > start ? directories.substr(start, end - start) : ".") + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

ProcessResult RunProcess(const ProcessOptions& options) {
  ProcessResult result;
  const Clock::time_point start = Clock::now();
  int input[2] = {-1, -1};
  int output[2] = {-1, -1};
  int errors[2] = {-1, -1};
  std::optional<TempDir> output_dir;
  bool ready = ::pipe2(input, O_CLOEXEC) == 0 && ::pipe2(errors, O_CLOEXEC) == 0;
  if (ready && options.output_to_file) {
    output_dir.emplace("tunaro-output");
    output[1] =
        ::open(output_dir->Path("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ready = output[1] >= 0;
  } else if (ready) {
    ready = ::pipe2(output, O_CLOEXEC) == 0;
  }
  const pid_t pid = ready ? Spawn(options.argv, options.environment, options.working_directory,
                                  {input[0], output[1], errors[1]})
                          : -1;
  // Only the child keeps its ends, so end of file arrives when it ends.
  CloseIfOpen(&input[0]);
  CloseIfOpen(&output[1]);
  CloseIfOpen(&errors[1]);
  if (pid > 0) {
    const int input_end = input[1];
    input[1] = -1;  // the feeder closes it
    Supervise(pid, options, start, input_end, &output[0], &errors[0], &result);
  }
  CloseIfOpen(&input[1]);
  CloseIfOpen(&output[0]);
  CloseIfOpen(&errors[0]);
  if (output_dir) result.output = ReadFileBytes(output_dir->Path("stdout")).value_or("");
  result.elapsed_seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return result;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Environment& environment,
                           const std::string& working_directory, const std::string& output_file) {
  int input = OpenDevNull(O_RDONLY);
  int output =
      ::open(output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
  if (input >= 0 && output >= 0) {
    pid_ = Spawn(argv, environment, working_directory, {input, output, output});
  }
  CloseIfOpen(&input);
  CloseIfOpen(&output);
}

ChildProcess::~ChildProcess() { Kill(); }

void ChildProcess::Reaped(int status) {
  reaped_ = true;
  int signal = 0;
  Decode(status, &exit_code_, &signal);
}

bool ChildProcess::Running() {
  if (pid_ <= 0 || reaped_) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == pid_) Reaped(status);
  return !reaped_;
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (Running()) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void ChildProcess::Kill() {
  if (!Running()) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  Reaped(status);
}

}  // namespace harness
