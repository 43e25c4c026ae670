// How every JSON answer leaves: its status line (none for 200), its header
// and one object on one line.
#ifndef TUNARO_APP_JSON_ANSWER_H_
#define TUNARO_APP_JSON_ANSWER_H_

#include <string>
#include <string_view>

#include "cgi/response_writer.h"

namespace tunaro {

// The status lines of the answers other than 200.
constexpr std::string_view kBadRequest = "Status: 400 Bad Request";
constexpr std::string_view kForbidden = "Status: 403 Forbidden";
constexpr std::string_view kNotFound = "Status: 404 Not Found";
constexpr std::string_view kServerError = "Status: 500 Internal Server Error";

// A refusal: the status line and what the error object says.
struct Refusal {
  std::string_view status;
  std::string message;
};

void WriteJsonAnswer(ResponseWriter& out, std::string_view status, std::string_view object);

// The error object of `refusal` with its status line.
void WriteRefusal(ResponseWriter& out, const Refusal& refusal);

}  // namespace tunaro

#endif  // TUNARO_APP_JSON_ANSWER_H_
