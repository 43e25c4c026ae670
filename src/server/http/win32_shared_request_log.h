// The request log queue shared by CivetWeb's workers and the thread that
// shows the log: a lock held for a push or a take, nothing longer.
#ifndef TUNARO_SERVER_HTTP_WIN32_SHARED_REQUEST_LOG_H_
#define TUNARO_SERVER_HTTP_WIN32_SHARED_REQUEST_LOG_H_

#include <string>

#include "server/http/request_log_queue.h"

namespace tunaro::server {

class SharedRequestLog {
 public:
  // About a minute of a busy server's lines between two takes; a line is
  // at most some 600 bytes, so the queue stays under a megabyte.
  static constexpr std::size_t kCapacity = 1024;

  SharedRequestLog();
  SharedRequestLog(const SharedRequestLog&) = delete;
  SharedRequestLog& operator=(const SharedRequestLog&) = delete;

  void AddRequest(const RequestRecord& request);
  void AddMessage(const TimeOfDay& time, const std::string& text);
  LogBatch Take();

 private:
  void* lock_;  // an SRWLOCK, pointer-sized, kept here without windows.h
  RequestLogQueue queue_{kCapacity};
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_WIN32_SHARED_REQUEST_LOG_H_
