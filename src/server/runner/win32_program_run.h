// Runs tunaro.exe for one request as a CGI program, in place of CivetWeb's
// own CGI support. That one makes each run's pipe handles inheritable before
// its CreateProcess, so a run started at the same moment on another worker
// inherits them: the first page then lasts as long as the other run (up to a
// hung player's 5 s), and under load a spawn now and then failed outright.
// Here every spawn takes a lock, hands the child exactly its own three
// handles, and is tried again when Windows refuses it for a moment.
#ifndef TUNARO_SERVER_RUNNER_WIN32_PROGRAM_RUN_H_
#define TUNARO_SERVER_RUNNER_WIN32_PROGRAM_RUN_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct mg_connection;

namespace tunaro::server {

// The number a failed run raises RunError with: the status it is answered with.
constexpr int kProgramFailedStatus = 500;

// What the server adds to a run: who logged in (REMOTE_USER), and headers
// for the answer (the frame rule, a device cookie), which replace any of the
// same name the program wrote.
struct RunExtras {
  std::optional<std::string> user;
  std::vector<std::pair<std::string, std::string>> headers;
};

// Runs cgi-bin\<folder>\tunaro.exe (relative to the current directory, the
// release folder) for the request and sends its answer. Returns the status
// sent. The address list and the login have been checked before. Raises
// RunError, with nothing sent: 413 or 408 when the body is too large or too
// slow (request_body.h), kProgramFailedStatus when the program could not be
// started or gave no answer.
int RunProgram(mg_connection* connection, const std::string& folder, const RunExtras& extras);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_RUNNER_WIN32_PROGRAM_RUN_H_
