// The two sides of running tunaro.exe as a CGI program that need no Windows:
// the names its environment gives request headers, and reading the head of
// its answer.
#ifndef TUNARO_SERVER_RUNNER_CGI_ANSWER_H_
#define TUNARO_SERVER_RUNNER_CGI_ANSWER_H_

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace tunaro::server {

// "Sec-Fetch-Site" gives "HTTP_SEC_FETCH_SITE", and Content-Type CGI's own
// "CONTENT_TYPE". Empty for a header not passed on: Authorization, which holds
// the login, and any name with a character other than a letter, a digit or
// "-", so that "Sec_Fetch_Site" cannot pose as the browser's header.
std::string HeaderVariableName(const std::string& header);

struct AnswerHead {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;  // Status left out
  std::size_t body_start = 0;                                // where the body begins in the text
};

enum class HeadRead { kIncomplete, kComplete, kBroken };

// Reads the header lines at the start of `text` up to the first empty line
// (lines end in LF or CRLF). "Status: NNN ..." sets the status, Location alone
// makes it 302. kBroken for a line that is no header or a status outside
// 100..599; kIncomplete while the empty line has not come.
HeadRead ReadAnswerHead(const std::string& text, AnswerHead* head);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_RUNNER_CGI_ANSWER_H_
