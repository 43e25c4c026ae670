// The environment tunaro.exe runs in for one request: the CGI variables of the
// request, and the server's own environment (the system's folders and paths,
// which a Windows program needs) without anything that could pass for a
// request's variable.
#ifndef TUNARO_SERVER_RUNNER_CGI_ENVIRONMENT_H_
#define TUNARO_SERVER_RUNNER_CGI_ENVIRONMENT_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tunaro::server {

// What the environment takes from a request, as CivetWeb read it.
struct CgiRequest {
  std::string http_version;  // "1.1"
  std::string method;
  std::string script_name;     // the path, decoded
  std::string query_string;    // as sent
  std::string client_address;  // as the socket gives it (::ffff:a.b.c.d for IPv4)
  int server_port = 0;
  int client_port = 0;
  std::optional<std::string> user;  // who logged in, when a login was asked
  long long content_length = -1;    // -1: the request gave none
  std::vector<std::pair<std::string, std::string>> headers;
};

// The environment block for CreateProcess: NAME=value entries, each ended by a
// NUL, and one more NUL at the end. `own` holds the server's own entries as
// the system lists them ("NAME=value"; a name may begin with "=", as
// "=C:=C:\..."). A request's variable always wins over one of the server's,
// and none of the server's named HTTP_* is passed on: a proxy setting
// (HTTP_PROXY) must not pose as a header. Texts are bytes as given.
std::string CgiEnvironmentBlock(const CgiRequest& request, const std::string& script_path,
                                const std::vector<std::string>& own);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_RUNNER_CGI_ENVIRONMENT_H_
