#include "server/runner/cgi_answer.h"

#include "base/text_rules.h"

namespace tunaro::server {
namespace {

bool IsLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The characters of a header's name (a "token" of HTTP).
bool IsTokenChar(char c) {
  return IsLetterOrDigit(c) ||
         (c != '\0' && std::string("!#$%&'*+-.^_`|~").find(c) != std::string::npos);
}

// Header names are compared without regard to letter case.
bool SameLetters(const std::string& name, const char* lowercase) {
  return ToLowerText(name) == lowercase;
}

}  // namespace

std::string HeaderVariableName(const std::string& header) {
  if (header.empty() || SameLetters(header, "authorization")) return {};
  if (SameLetters(header, "content-type")) return "CONTENT_TYPE";
  // Letters in capitals and "-" as "_", as CGI names a header's variable.
  std::string name = "HTTP_";
  for (char c : header) {
    if (c == '-') {
      name += '_';
    } else if (IsLetterOrDigit(c)) {
      name += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    } else {
      return {};
    }
  }
  return name;
}

HeadRead ReadAnswerHead(const std::string& text, AnswerHead* head) {
  *head = AnswerHead{};
  bool has_status = false, has_location = false;
  std::size_t at = 0;
  while (true) {
    const std::size_t end = text.find('\n', at);
    if (end == std::string::npos) return HeadRead::kIncomplete;
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) break;
    const std::size_t colon = line.find(':');
    if (colon == 0 || colon == std::string::npos) return HeadRead::kBroken;
    const std::string name = line.substr(0, colon);
    for (char c : name) {
      if (!IsTokenChar(c)) return HeadRead::kBroken;
    }
    std::size_t value_start = colon + 1;
    while (value_start < line.size() && (line[value_start] == ' ' || line[value_start] == '\t')) {
      ++value_start;
    }
    const std::string value = line.substr(value_start);
    // A control byte would let a value end the header line early and add a
    // header, or a whole answer, of its own on the way to the browser.
    for (char c : value) {
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return HeadRead::kBroken;
    }
    // "Status: 404 Not Found" is the program's word to the server, not a
    // header to pass on; its reason text is the server's to give.
    if (SameLetters(name, "status")) {
      if (has_status || value.size() < 3) return HeadRead::kBroken;
      int code = 0;
      for (int i = 0; i < 3; ++i) {
        if (value[i] < '0' || value[i] > '9') return HeadRead::kBroken;
        code = code * 10 + (value[i] - '0');
      }
      if (code < 100 || code > 599 || (value.size() > 3 && value[3] != ' '))
        return HeadRead::kBroken;
      head->status = code;
      has_status = true;
      continue;
    }
    if (SameLetters(name, "location")) has_location = true;
    head->headers.emplace_back(name, value);
  }
  // A Location without a Status is a redirect, as CGI says.
  if (has_location && !has_status) head->status = 302;
  head->body_start = at;
  return HeadRead::kComplete;
}

}  // namespace tunaro::server
