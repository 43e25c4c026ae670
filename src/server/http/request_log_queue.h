// The bounded queue between CivetWeb's workers and whatever shows the log
// (the console, the window, the log file): a worker adds its line and goes
// on; a full queue drops the line and counts it, and never waits. Status
// polls are counted, not queued. Not thread-safe by itself: the Win32 side
// holds a lock around each call (win32_shared_request_log.h).
#ifndef TUNARO_SERVER_HTTP_REQUEST_LOG_QUEUE_H_
#define TUNARO_SERVER_HTTP_REQUEST_LOG_QUEUE_H_

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "server/http/request_log.h"

namespace tunaro::server {

// What the queue held since it was last taken.
struct LogBatch {
  std::vector<std::string> lines;  // whole lines, escaped, each ended by "\n"
  int polls = 0;                   // status polls answered, not in `lines`
  int dropped = 0;                 // lines lost to a full queue
  // The last request from another device (not the PC itself), if any came.
  std::optional<RequestRecord> last_remote;
};

class RequestLogQueue {
 public:
  explicit RequestLogQueue(std::size_t capacity) : capacity_(capacity) {}

  void AddRequest(const RequestRecord& request);
  // A message of the server's own or CivetWeb's, made one escaped line
  // stamped with the time.
  void AddMessage(const TimeOfDay& time, const std::string& text);
  LogBatch Take();

 private:
  void Add(std::string line);

  std::size_t capacity_;
  LogBatch batch_;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_REQUEST_LOG_QUEUE_H_
