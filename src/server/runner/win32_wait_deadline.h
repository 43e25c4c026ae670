// A deadline for the waits of this thread on a client's socket. CivetWeb
// waits in poll() (http/win32_poll.cc), and one of its reads goes on for as
// long as bytes keep coming, however slowly: poll() gives up for a thread
// whose deadline has passed, so that a read returns what it has. The runner
// sets one for a request's body; closing a connection sets one for the
// bytes CivetWeb drains from the client before it lets go.
#ifndef TUNARO_SERVER_RUNNER_WIN32_WAIT_DEADLINE_H_
#define TUNARO_SERVER_RUNNER_WIN32_WAIT_DEADLINE_H_

namespace tunaro::server {

// Sets this thread's deadline `ms` from now, replacing one it had.
void SetThreadWaitDeadline(unsigned long long ms);
void ClearThreadWaitDeadline();
// Milliseconds left before this thread's deadline, 0 once it passed; -1
// when the thread has none.
long long ThreadWaitLeft();

// A deadline for as long as this lives.
class WaitDeadline {
 public:
  explicit WaitDeadline(unsigned long long ms) { SetThreadWaitDeadline(ms); }
  ~WaitDeadline() { ClearThreadWaitDeadline(); }
  WaitDeadline(const WaitDeadline&) = delete;
  WaitDeadline& operator=(const WaitDeadline&) = delete;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_RUNNER_WIN32_WAIT_DEADLINE_H_
