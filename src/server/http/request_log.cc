#include "server/http/request_log.h"

#include <cstdio>

namespace tunaro::server {

std::string RequestLogLine(const TimeOfDay& time, const std::string& client, int status,
                           const std::string& path) {
  char line[600];
  std::snprintf(line, sizeof line, "%02d:%02d:%02d  %-15s  %3d  %.500s\n", time.hour, time.minute,
                time.second, client.c_str(), status, path.c_str());
  return line;
}

}  // namespace tunaro::server
