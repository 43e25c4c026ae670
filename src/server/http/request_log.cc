#include "server/http/request_log.h"

#include <cstdio>

#include "base/text_rules.h"
#include "server/http/request_rules.h"

namespace tunaro::server {

std::string EscapeLogText(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    // U+0080..U+009F, the C1 controls, are C2 80..C2 9F in UTF-8.
    const bool c1 = c == 0xc2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9f;
    if (c < 0x20 || c == 0x7f || c1) {
      char code[16];
      if (c1) {
        std::snprintf(code, sizeof code, "\\xc2\\x%02x", static_cast<unsigned char>(text[++i]));
      } else {
        std::snprintf(code, sizeof code, "\\x%02x", c);
      }
      escaped += code;
    } else {
      escaped += static_cast<char>(c);
    }
  }
  return escaped;
}

std::string RequestLogLine(const RequestRecord& request) {
  char head[64];
  std::snprintf(head, sizeof head, "%02d:%02d:%02d  %-15s  %3d  ", request.time.hour,
                request.time.minute, request.time.second,
                EscapeLogText(request.client).substr(0, 45).c_str(), request.status);
  std::string path = EscapeLogText(request.path);
  if (path.size() > 500) path.resize(500);
  return head + path + "\n";
}

std::string MessageLogLine(const TimeOfDay& time, const std::string& text) {
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d  ", time.hour, time.minute, time.second);
  const bool ended = !text.empty() && text.back() == '\n';
  std::string line = EscapeLogText(ended ? text.substr(0, text.size() - 1) : text);
  if (line.size() > 1000) line.resize(1000);
  return stamp + line + "\n";
}

bool IsStatusPoll(const RequestRecord& request) {
  const std::size_t question = request.path.find('?');
  if (request.status != 200 || question == std::string::npos) return false;
  return ToLowerText(request.path.substr(question + 1)) == "status" &&
         ClassifyRequest(request.path.substr(0, question)) == RequestKind::kRunProgram;
}

bool IsLoopbackClient(const std::string& client) {
  return client.rfind("127.", 0) == 0 || client == "::1";
}

}  // namespace tunaro::server
