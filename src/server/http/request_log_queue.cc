#include "server/http/request_log_queue.h"

#include <utility>

namespace tunaro::server {

void RequestLogQueue::Add(std::string line) {
  if (batch_.lines.size() >= capacity_) {
    ++batch_.dropped;
    return;
  }
  batch_.lines.push_back(std::move(line));
}

void RequestLogQueue::AddRequest(const RequestRecord& request) {
  if (!IsLoopbackClient(request.client)) batch_.last_remote = request;
  if (IsStatusPoll(request)) {
    ++batch_.polls;
    return;
  }
  Add(RequestLogLine(request));
}

void RequestLogQueue::AddMessage(const TimeOfDay& time, const std::string& text) {
  Add(MessageLogLine(time, text));
}

LogBatch RequestLogQueue::Take() { return std::exchange(batch_, LogBatch{}); }

}  // namespace tunaro::server
