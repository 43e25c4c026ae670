#include "server/runner/win32_wait_deadline.h"

#include <windows.h>

namespace tunaro::server {
namespace {

// Each of CivetWeb's workers serves one connection at a time on its own
// thread, and poll() is called with no context: the deadline is the thread's.
thread_local ULONGLONG deadline = 0;  // GetTickCount64's time; 0: none

}  // namespace

void SetThreadWaitDeadline(unsigned long long ms) { deadline = GetTickCount64() + ms; }

void ClearThreadWaitDeadline() { deadline = 0; }

long long ThreadWaitLeft() {
  if (deadline == 0) return -1;
  const ULONGLONG now = GetTickCount64();
  return now >= deadline ? 0 : static_cast<long long>(deadline - now);
}

}  // namespace tunaro::server
