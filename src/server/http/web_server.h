// CivetWeb set up for the unpacked release folder, which must be the current
// directory: wwwroot\ as /, each cgi-bin\<folder>\tunaro.exe as a CGI program
// (run by us, not CivetWeb), our address list and path rules first, then
// CivetWeb's digest login.
#ifndef TUNARO_SERVER_HTTP_WEB_SERVER_H_
#define TUNARO_SERVER_HTTP_WEB_SERVER_H_

#include <string>
#include <vector>

#include "server/access/address_allow.h"

struct mg_context;

namespace tunaro::server {

struct WebServerSettings {
  int port = 8080;
  std::vector<AddressRange> allowed;
  bool login = true;
  std::vector<std::string> program_folders;  // the folders of cgi-bin\ with a tunaro.exe
};

enum class StartResult { kStarted, kPortInUse, kFailed };

class WebServer {
 public:
  explicit WebServer(WebServerSettings settings) : settings_(std::move(settings)) {}
  ~WebServer() { Stop(); }
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // On kFailed, *why says what CivetWeb reported. *ipv6 tells whether it
  // listens on IPv6 too (a machine without IPv6 gets IPv4 alone).
  StartResult Start(std::string* why, bool* ipv6);
  void Stop();

  const WebServerSettings& settings() const { return settings_; }

 private:
  WebServerSettings settings_;
  mg_context* context_ = nullptr;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_WEB_SERVER_H_
