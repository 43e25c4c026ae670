#include "server/http/web_server.h"

// winsock2.h must come before windows.h.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <civetweb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "server/access/login_file.h"
#include "server/http/request_rules.h"
#include "server/desktop/win32_console.h"
#include "server/runner/win32_program_run.h"

namespace tunaro::server {
namespace {

// Bounds: request head, request body (a form post is a few hundred bytes),
// worker threads, and how long a request may take. tunaro.exe runs by our
// own RunProgram, not CivetWeb's CGI: see win32_program_run.h.
constexpr char kMaxHeadBytes[] = "16384";
constexpr long long kMaxBodyBytes = 64 * 1024;
// Four workers: a home has a few phones, and runs of tunaro.exe take turns on
// the playlist file anyway, so more add no pages a second.
constexpr char kWorkerThreads[] = "4";
constexpr char kRequestTimeoutMs[] = "15000";

const WebServerSettings& SettingsOf(const mg_connection* connection) {
  return *static_cast<const WebServerSettings*>(
      mg_get_user_data(mg_get_context(const_cast<mg_connection*>(connection))));
}

int Refuse(mg_connection* connection, int status, const char* text) {
  mg_send_http_error(connection, status, "%s", text);
  return status;
}

int OnBeginRequest(mg_connection* connection) {
  const WebServerSettings& settings = SettingsOf(connection);
  const mg_request_info* request = mg_get_request_info(connection);
  if (!IsAllowed(settings.allowed, request->remote_addr)) {
    return Refuse(connection, 403, "This address may not use the remote (see --allow).");
  }
  const std::string method = request->request_method;
  if (method != "GET" && method != "HEAD" && method != "POST") {
    return Refuse(connection, 405, "Method not allowed.");
  }
  if (request->content_length > kMaxBodyBytes ||
      (method == "POST" && mg_get_header(connection, "Transfer-Encoding") != nullptr)) {
    return Refuse(connection, 413, "Request too large.");
  }
  // CivetWeb's local_uri has lost some spellings Windows reads differently
  // (a trailing dot): the path as sent, decoded once, must pass as well.
  const std::string raw(request->local_uri_raw != nullptr ? request->local_uri_raw : "");
  std::string as_sent(raw.size() + 1, '\0');
  const int decoded = mg_url_decode(raw.c_str(), static_cast<int>(raw.size()), as_sent.data(),
                                    static_cast<int>(as_sent.size()), 0);
  as_sent.resize(decoded > 0 ? static_cast<size_t>(decoded) : 0);
  if (ClassifyRequest(as_sent) == RequestKind::kRefuse) {
    return Refuse(connection, 404, "Not found.");
  }
  switch (ClassifyRequest(request->local_uri)) {
    case RequestKind::kRedirectToRemote:
      mg_send_http_redirect(connection, kRemotePath, 302);
      return 302;
    case RequestKind::kRunProgram:
    case RequestKind::kServeFile:
      return 0;  // CivetWeb goes on: the login, then the file or the program
    case RequestKind::kRefuse:
      break;
  }
  return Refuse(connection, 404, "Not found.");
}

// Every path under /cgi-bin/ comes here, after the address list and the
// login; only a program folder's tunaro.exe runs.
int OnProgramRequest(mg_connection* connection, void*) {
  const WebServerSettings& settings = SettingsOf(connection);
  const std::string path = mg_get_request_info(connection)->local_uri;
  if (ClassifyRequest(path) == RequestKind::kRunProgram) {
    const std::string named = path.substr(9, path.find('/', 9) - 9);  // after "/cgi-bin/"
    for (const std::string& folder : settings.program_folders) {
      if (_stricmp(folder.c_str(), named.c_str()) == 0) return RunProgram(connection, folder);
    }
  }
  return Refuse(connection, 404, "Not found.");
}

void OnEndRequest(const mg_connection* connection, int status) {
  const mg_request_info* request = mg_get_request_info(connection);
  const std::string client = ClientAddressText(request->remote_addr);
  SYSTEMTIME now;
  GetLocalTime(&now);
  char line[600];
  snprintf(line, sizeof line, "%02u:%02u:%02u  %-15s  %3d  %.500s\n", now.wHour, now.wMinute,
           now.wSecond, client.c_str(), status, request->local_uri_raw);
  Print(line);
}

int OnLogMessage(const mg_connection*, const char* message) {
  PrintError(std::string("server: ") + message + "\n");
  return 1;
}

// True when another program has the port on IPv4 (CivetWeb only says that
// setting up its ports failed).
bool PortInUse(int port) {
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (probe == INVALID_SOCKET) return false;
  BOOL exclusive = TRUE;
  setsockopt(probe, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof exclusive);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  const bool taken = bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
                     (WSAGetLastError() == WSAEADDRINUSE || WSAGetLastError() == WSAEACCES);
  closesocket(probe);
  return taken;
}

}  // namespace

StartResult WebServer::Start(std::string* why, bool* ipv6) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  if (PortInUse(settings_.port)) return StartResult::kPortInUse;

  const std::string port = std::to_string(settings_.port);
  // One dual-stack socket ("+port") for IPv4 and IPv6.
  const std::string both = "+" + port;
  mg_callbacks callbacks{};
  callbacks.begin_request = OnBeginRequest;
  callbacks.end_request = OnEndRequest;
  callbacks.log_message = OnLogMessage;
  mg_init_library(0);
  // IPv4 and IPv6; IPv4 alone where the machine has no IPv6.
  const std::string choices[2] = {both, port};
  for (int attempt = 0; attempt < 2; ++attempt) {
    const std::string& ports = choices[attempt];
    std::vector<const char*> options = {
        "listening_ports", ports.c_str(), "document_root", "wwwroot",
        // No server-side includes, listings, index files or hidden extras.
        "ssi_pattern", "", "enable_directory_listing", "no", "index_files", "",
        "hide_files_patterns", "**.conf$|**.htdigest$|**.htpasswd$", "num_threads", kWorkerThreads,
        "max_request_size", kMaxHeadBytes, "request_timeout_ms", kRequestTimeoutMs,
        "authentication_domain", kLoginRealm, "enable_auth_domain_check", "no"};
    if (settings_.login) {
      options.push_back("global_auth_file");
      options.push_back(kLoginFileName);
    }
    options.push_back(nullptr);
    char error_text[256] = "";
    mg_error_data error{};
    error.text = error_text;
    error.text_buffer_size = sizeof error_text;
    mg_init_data init{};
    init.callbacks = &callbacks;
    init.user_data = &settings_;
    init.configuration_options = options.data();
    context_ = mg_start2(&init, &error);
    if (context_ != nullptr) {
      mg_set_request_handler(context_, "/cgi-bin", OnProgramRequest, nullptr);
      *ipv6 = attempt == 0;
      return StartResult::kStarted;
    }
    *why = error_text;
    if (PortInUse(settings_.port)) return StartResult::kPortInUse;
  }
  return StartResult::kFailed;
}

void WebServer::Stop() {
  if (context_ != nullptr) {
    mg_stop(context_);
    context_ = nullptr;
  }
}

}  // namespace tunaro::server
