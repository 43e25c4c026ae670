#include "server/runner/cgi_environment.h"

#include <set>

#include "base/text_rules.h"
#include "server/access/address_allow.h"
#include "server/runner/cgi_answer.h"

namespace tunaro::server {
namespace {

using Variables = std::vector<std::pair<std::string, std::string>>;

Variables RequestVariables(const CgiRequest& request, const std::string& script_path) {
  Variables cgi = {
      {"GATEWAY_INTERFACE", "CGI/1.1"},
      {"SERVER_SOFTWARE", "tunaro-server"},
      {"SERVER_PROTOCOL", "HTTP/" + request.http_version},
      {"SERVER_PORT", std::to_string(request.server_port)},
      {"REQUEST_METHOD", request.method},
      {"SCRIPT_NAME", request.script_name},
      {"SCRIPT_FILENAME", script_path},
      {"QUERY_STRING", request.query_string},
      {"REMOTE_ADDR", ClientAddressText(request.client_address)},
      {"REMOTE_PORT", std::to_string(request.client_port)},
  };
  if (request.user) {
    cgi.emplace_back("REMOTE_USER", *request.user);
    cgi.emplace_back("AUTH_TYPE", "Digest");
  }
  if (request.content_length >= 0) {
    cgi.emplace_back("CONTENT_LENGTH", std::to_string(request.content_length));
  }
  // A header sent twice gives its first value, as a CGI program reads one.
  std::set<std::string> given;
  for (const auto& [header, value] : request.headers) {
    const std::string variable = HeaderVariableName(header);
    if (!variable.empty() && given.insert(variable).second) cgi.emplace_back(variable, value);
  }
  return cgi;
}

// The entry's name in capitals: Windows' names ignore letter case, so
// "Query_String" is QUERY_STRING to tunaro.exe.
std::string UpperName(const std::string& entry) {
  const std::size_t equals = entry.find('=', 1);  // "=C:=C:\..." starts with one
  return ToUpperText(entry.substr(0, equals));
}

}  // namespace

std::string CgiEnvironmentBlock(const CgiRequest& request, const std::string& script_path,
                                const std::vector<std::string>& own) {
  const Variables cgi = RequestVariables(request, script_path);
  std::set<std::string> taken;
  for (const auto& [name, value] : cgi) taken.insert(name);

  std::string block;
  for (const std::string& entry : own) {
    const std::string name = UpperName(entry);
    if (name.rfind("HTTP_", 0) == 0 || taken.count(name) != 0) continue;
    block.append(entry.c_str()).push_back('\0');
  }
  for (const auto& [name, value] : cgi) {
    // A value cannot hold a NUL; CivetWeb has cut header values at one.
    block.append(name).append("=").append(value.c_str()).push_back('\0');
  }
  block.push_back('\0');
  return block;
}

}  // namespace tunaro::server
