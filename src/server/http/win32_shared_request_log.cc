#include "server/http/win32_shared_request_log.h"

#include <windows.h>

namespace tunaro::server {
namespace {

static_assert(sizeof(SRWLOCK) == sizeof(void*), "an SRWLOCK is one pointer");

class Locked {
 public:
  explicit Locked(void** lock) : lock_(reinterpret_cast<SRWLOCK*>(lock)) {
    AcquireSRWLockExclusive(lock_);
  }
  ~Locked() { ReleaseSRWLockExclusive(lock_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  SRWLOCK* lock_;
};

}  // namespace

SharedRequestLog::SharedRequestLog() : lock_(nullptr) {}  // SRWLOCK_INIT is all zero

void SharedRequestLog::AddRequest(const RequestRecord& request) {
  const Locked locked(&lock_);
  queue_.AddRequest(request);
}

void SharedRequestLog::AddMessage(const TimeOfDay& time, const std::string& text) {
  const Locked locked(&lock_);
  queue_.AddMessage(time, text);
}

LogBatch SharedRequestLog::Take() {
  const Locked locked(&lock_);
  return queue_.Take();
}

}  // namespace tunaro::server
