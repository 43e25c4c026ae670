// CivetWeb set up for the unpacked release folder, which must be the current
// directory: wwwroot\ as /, each cgi-bin\<folder>\tunaro.exe as a CGI program
// (run by us, not CivetWeb), our address list, Host rule and path rules
// first, then our own access rules (a paired device or a digest login; the
// pairing page for everyone else).
#ifndef TUNARO_SERVER_HTTP_WEB_SERVER_H_
#define TUNARO_SERVER_HTTP_WEB_SERVER_H_

#include <functional>
#include <string>
#include <vector>

#include "server/access/address_allow.h"
#include "server/http/request_log.h"
#include "server/http/win32_access_desk.h"
#include "server/system/server_system.h"

struct mg_context;

namespace tunaro::server {

struct WebServerSettings {
  int port = 8080;
  std::vector<AddressRange> allowed;
  bool login = true;  // false with --no-login: no pairing and no login asked
  // The gate every request passes (its Host rule in every mode); the window
  // shares it. Must outlive the server.
  AccessDesk* access = nullptr;
  std::vector<std::string> program_folders;  // the folders of cgi-bin\ with a tunaro.exe
  // Where the server's lines go, from CivetWeb's threads: lines of its own,
  // CivetWeb's messages, and each answered request. Each must return at once
  // (a bounded queue, request_log_queue.h), never wait for a console or a file.
  std::function<void(const std::string&)> request_log;
  std::function<void(const std::string&)> error_log;
  std::function<void(const RequestRecord&)> request_done;
};

enum class Listening { kIpv4AndIpv6, kIpv4Only, kPortInUse };

class WebServer {
 public:
  WebServer(ServerSystem& system, WebServerSettings settings)
      : system_(system), settings_(std::move(settings)) {}
  ~WebServer() { Stop(); }
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Listens on IPv4 and IPv6, or on IPv4 alone where the machine has no IPv6;
  // kPortInUse when another program has the port. Raises RunError
  // (exit_code::kFailed) with CivetWeb's own words when it fails otherwise.
  Listening Start();
  void Stop();

  ServerSystem& system() const { return system_; }
  const WebServerSettings& settings() const { return settings_; }

 private:
  ServerSystem& system_;
  WebServerSettings settings_;
  mg_context* context_ = nullptr;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_WEB_SERVER_H_
