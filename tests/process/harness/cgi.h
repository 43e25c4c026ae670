// Running a Windows exe under Wine the way a web server runs a CGI program.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_CGI_H_
#define TUNARO_TESTS_PROCESS_HARNESS_CGI_H_

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "harness/process.h"

namespace harness {

struct CgiRequest {
  std::string exe;  // Linux path of the exe, usually from InstallExe
  // Each variable is set to the value given, or removed from the environment
  // when empty (whatever the test program's own environment holds).
  std::optional<std::string> content_length;
  std::optional<std::string> content_type;
  std::optional<std::string> query_string;
  std::optional<std::string> request_method;
  std::optional<std::string> script_name;
  // Further variables to set (HTTP_HOST, SERVER_NAME, ...).
  std::map<std::string, std::string> extra_environment;

  // The request body on standard input, a pipe. With `split_at` it arrives in
  // two pieces, [0, split_at) and the rest, `pause` apart.
  std::string body;
  std::optional<std::size_t> split_at;
  std::chrono::milliseconds pause{200};
  // False keeps standard input open until the program ends.
  bool close_input = true;
  // Standard output is a regular file instead of a pipe.
  bool output_to_file = false;
  // Empty: the exe's own directory.
  std::string working_directory;
  std::chrono::milliseconds timeout{20000};
  // See ProcessOptions: with it, `timeout` is the time allowed without progress.
  std::function<std::size_t()> progress;

  // REQUEST_METHOD=GET with the query string, SCRIPT_NAME set; no body.
  static CgiRequest Get(const std::string& exe, const std::string& query_string = "");
  // REQUEST_METHOD=POST with a form body and a matching CONTENT_LENGTH and
  // CONTENT_TYPE (application/x-www-form-urlencoded); QUERY_STRING empty.
  static CgiRequest Post(const std::string& exe, const std::string& body);
};

// Output bytes, exit status, whether it was killed at the timeout, and the
// time it took.
using CgiResult = ProcessResult;

// Runs the request's exe under Wine in the shared prefix.
CgiResult RunCgi(const CgiRequest& request);

// The SCRIPT_NAME that Get and Post use.
inline constexpr char kDefaultScriptName[] = "/cgi-bin/tunaro.exe";

}  // namespace harness

#endif  // TUNARO_TESTS_PROCESS_HARNESS_CGI_H_
