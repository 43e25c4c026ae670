// The line the server writes for each request it answered.
#ifndef TUNARO_SERVER_HTTP_REQUEST_LOG_H_
#define TUNARO_SERVER_HTTP_REQUEST_LOG_H_

#include <string>

#include "server/system/server_system.h"

namespace tunaro::server {

// "hh:mm:ss  client  status  path\n": the client's address padded to 15
// characters (an IPv4 address's longest) so that the columns line up, the path
// as it was sent, cut at 500 bytes.
std::string RequestLogLine(const TimeOfDay& time, const std::string& client, int status,
                           const std::string& path);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_REQUEST_LOG_H_
