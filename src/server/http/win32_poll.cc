// CivetWeb's poll() on Windows. Without one, CivetWeb emulates it with
// select(), putting each socket in the read and the error set at once; Wine 8's
// server fails an assertion (complete_async_poll) on such a doubled socket and
// ends every process of the session. WSAPoll takes each socket once. It also
// keeps the thread's wait deadline (runner/win32_wait_deadline.h): it waits no
// longer than what is left of it, and fails once it has passed.
#include "server/http/civetweb_poll.h"

#include "server/runner/win32_wait_deadline.h"

extern "C" int tunaro_poll(WSAPOLLFD* sockets, unsigned int count, int timeout_ms) {
  const long long left = tunaro::server::ThreadWaitLeft();
  if (left == 0) {
    WSASetLastError(WSAETIMEDOUT);
    return -1;
  }
  if (left > 0 && (timeout_ms < 0 || timeout_ms > left)) timeout_ms = static_cast<int>(left);
  // WSAPoll reports errors and hang-ups by itself and refuses some flags in
  // `events` that poll() accepts (POLLERR, POLLPRI): ask for reading and
  // writing only.
  for (unsigned int i = 0; i < count; ++i) {
    sockets[i].events &= POLLRDNORM | POLLRDBAND | POLLWRNORM;
  }
  return WSAPoll(sockets, count, timeout_ms);
}
