// The server's log: a line for each request it answered, and its own
// messages. The lines go through a bounded queue (request_log_queue.h), never
// straight from a worker to the console or a file, which may block.
#ifndef TUNARO_SERVER_HTTP_REQUEST_LOG_H_
#define TUNARO_SERVER_HTTP_REQUEST_LOG_H_

#include <string>

#include "server/system/server_system.h"

namespace tunaro::server {

// An answered request, as the log and the window's checklist see it.
struct RequestRecord {
  TimeOfDay time;
  std::string client;  // the address as ClientAddressText gives it
  int status = 0;
  std::string path;  // as sent, with "?" and the query when there is one
};

// "hh:mm:ss  client  status  path\n": the client's address padded to 15
// characters (an IPv4 address's longest) so that the columns line up, the path
// escaped (EscapeLogText) and cut at 500 bytes.
std::string RequestLogLine(const RequestRecord& request);

// "hh:mm:ss  text\n", the text escaped and cut at 1000 bytes, without the
// line end it came with.
std::string MessageLogLine(const TimeOfDay& time, const std::string& text);

// Control characters (C0, DEL, and C1 as UTF-8) as "\xNN": a path or a
// message cannot forge a line, or reach the console as an escape sequence.
std::string EscapeLogText(const std::string& text);

// A status poll the page script makes once a second: "?status" on a
// program's path (letter case ignored, as the program compares it),
// answered 200. Counted, not written line by line.
bool IsStatusPoll(const RequestRecord& request);

// Loopback: the PC itself (127/8, ::1), not another device.
bool IsLoopbackClient(const std::string& client);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_REQUEST_LOG_H_
