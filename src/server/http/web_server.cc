#include "server/http/web_server.h"

#include <civetweb.h>

#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/run_error.h"
#include "base/text_rules.h"
#include "server/access/access_gate.h"
#include "server/access/http_fields.h"
#include "server/access/login_file.h"
#include "server/http/connection_limits.h"
#include "server/http/pairing_page.h"
#include "server/http/request_log.h"
#include "server/http/request_rules.h"
#include "server/http/win32_port_probe.h"
#include "server/runner/win32_program_run.h"
#include "server/system/server_exit.h"

namespace tunaro::server {
namespace {

// Bounds: request head, request body (a form post is a few hundred bytes;
// runner/request_body.h), worker threads, and how long a request head may
// take to come. tunaro.exe runs by our own RunProgram, not CivetWeb's CGI:
// see win32_program_run.h.
constexpr char kMaxHeadBytes[] = "16384";
constexpr long long kMaxContentLength = 64 * 1024;
// Every connection holds a worker from its accept to its close, idle or
// not, and browsers open spare ones (preconnect): the workers are many and
// cheap (a thread and a 16 KiB buffer each), and one client address may hold
// only three quarters of them (connection_limits.h), so another always finds
// one free.
// A request head must come whole within 5 s (CivetWeb's request_timeout_ms
// counts from the connection's start); a phone sends it in one piece.
constexpr char kRequestTimeoutMs[] = "5000";

const WebServer& ServerOf(const mg_connection* connection) {
  return *static_cast<const WebServer*>(
      mg_get_user_data(mg_get_context(const_cast<mg_connection*>(connection))));
}

int Refuse(mg_connection* connection, int status, const char* text) {
  mg_send_http_error(connection, status, "%s", text);
  return status;
}

// The one trap of a callback that answers: CivetWeb is C, and an exception
// leaving a callback would end the server. A failure answers with its number
// when that is an error status, else 500, and goes to the log as `who`'s.
template <typename Answer>
int Trapped(mg_connection* connection, const char* who, const char* said, Answer answer) {
  std::string why;
  int status = 500;
  try {
    return answer();
  } catch (const RunError& failure) {
    why = failure.description();
    if (failure.number() >= 400 && failure.number() <= 599) status = failure.number();
  } catch (const std::exception& failure) {
    why = failure.what();
  } catch (...) {
    why = "an unknown failure";
  }
  mg_cry(connection, "%s: %s", who, why.c_str());
  mg_send_http_error(connection, status, "%s: %s", said, why.c_str());
  return status;
}

// Every answer carries these: no page of another site may frame the remote
// and have a click on it land on a button. CivetWeb adds them to its own
// answers (the additional_header option), we to ours.
constexpr char kFrameRuleLines[] =
    "X-Frame-Options: DENY\r\nContent-Security-Policy: frame-ancestors 'none'\r\n";
using Headers = std::vector<std::pair<std::string, std::string>>;
Headers FrameRule() {
  return {{"X-Frame-Options", "DENY"}, {"Content-Security-Policy", "frame-ancestors 'none'"}};
}

// One of our own answers: the frame rule and the headers given, and the body
// unless the request was HEAD.
int Answer(mg_connection* connection, int status, Headers headers, const std::string& type,
           const std::string& body) {
  mg_response_header_start(connection, status);
  for (const auto& [name, value] : FrameRule()) headers.emplace_back(name, value);
  headers.emplace_back("Cache-Control", "no-store");
  if (!type.empty()) headers.emplace_back("Content-Type", type);
  headers.emplace_back("Content-Length", std::to_string(body.size()));
  for (const auto& [name, value] : headers) {
    mg_response_header_add(connection, name.c_str(), value.c_str(), -1);
  }
  mg_response_header_send(connection);
  if (std::strcmp(mg_get_request_info(connection)->request_method, "HEAD") != 0 && !body.empty()) {
    mg_write(connection, body.data(), body.size());
  }
  return status;
}

int Redirect(mg_connection* connection, int status, const std::string& to,
             const std::string& set_cookie) {
  Headers headers = {{"Location", to}};
  if (!set_cookie.empty()) headers.emplace_back("Set-Cookie", set_cookie);
  return Answer(connection, status, headers, "", "");
}

int PairingPage(mg_connection* connection, int status, PairingNote note, Headers headers = {}) {
  const WebServer& server = ServerOf(connection);
  std::optional<std::string> page;
  try {
    page = server.system().ReadWholeFile(server.system().ProgramFolder() + "\\" + kPairingPageFile,
                                         64 * 1024);
  } catch (const RunError&) {
    // The plain page does as well.
  }
  return Answer(connection, status, std::move(headers), "text/html; charset=utf-8",
                PairingPageText(page, note));
}

std::optional<std::string> HeaderOf(mg_connection* connection, const char* name) {
  const char* value = mg_get_header(connection, name);
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

AccessRequest AccessRequestOf(mg_connection* connection) {
  const mg_request_info* info = mg_get_request_info(connection);
  AccessRequest request;
  request.method = info->request_method;
  request.path = info->local_uri_raw != nullptr ? info->local_uri_raw : "";
  if (info->query_string != nullptr) request.query = info->query_string;
  request.client = ClientAddressText(info->remote_addr);
  for (int i = 0; i < info->num_headers; ++i) {
    const std::string name = ToLowerText(info->http_headers[i].name);
    const char* value = info->http_headers[i].value;
    if (name == "cookie") {
      request.cookies += (request.cookies.empty() ? "" : "; ") + std::string(value);
    } else if (name == "authorization") {
      request.authorization = value;
    } else if (name == "user-agent") {
      request.user_agent = value;
    } else if (name == "sec-fetch-mode") {
      request.fetch_mode = value;
    }
  }
  return request;
}

void Log(mg_connection* connection, const std::string& line) {
  if (!line.empty()) ServerOf(connection).settings().error_log(line + "\n");
}

int Wait(mg_connection* connection, std::int64_t seconds) {
  return PairingPage(connection, 429, PairingNote::kWaiting,
                     {{"Retry-After", std::to_string(seconds)}});
}

// /pair: the page, and the code posted from it (or from any client).
int AnswerPairing(mg_connection* connection) {
  const WebServer& server = ServerOf(connection);
  if (!server.settings().login) return Redirect(connection, 303, "/", "");
  if (std::strcmp(mg_get_request_info(connection)->request_method, "POST") != 0) {
    return PairingPage(connection, 200, PairingNote::kNone);
  }
  std::string body;
  char piece[4096];
  for (int got; (got = mg_read(connection, piece, sizeof piece)) > 0;) body.append(piece, got);
  const PairingAnswer answer = server.settings().access->Hold()->Pair(
      AccessRequestOf(connection), FormField(body, "code").value_or(std::string()));
  Log(connection, answer.log);
  switch (answer.outcome) {
    case PairingOutcome::kPaired:
      return Redirect(connection, 303, "/", answer.set_cookie);
    case PairingOutcome::kWaiting:
      return Wait(connection, answer.wait);
    case PairingOutcome::kPast:
      return PairingPage(connection, 401, PairingNote::kPastCode);
    case PairingOutcome::kWrong:
      break;
  }
  return PairingPage(connection, 401, PairingNote::kWrongCode);
}

// A program folder's tunaro.exe runs, by the folder's name as found on the
// disk; the path rules let no other path under /cgi-bin/ come here.
int AnswerProgram(mg_connection* connection, const RunExtras& extras) {
  const WebServerSettings& settings = ServerOf(connection).settings();
  const std::string path = mg_get_request_info(connection)->local_uri;
  const std::string named = path.substr(9, path.find('/', 9) - 9);  // after "/cgi-bin/"
  for (const std::string& folder : settings.program_folders) {
    if (ToLowerText(folder) == ToLowerText(named)) return RunProgram(connection, folder, extras);
  }
  return Refuse(connection, 404, "Not found.");
}

// What a request that may come in gets: the remote, a redirect, or the file
// (CivetWeb serves it: 0).
int LetIn(mg_connection* connection, RequestKind kind, const AccessAnswer& access) {
  switch (kind) {
    case RequestKind::kRedirectToRemote:
      return Redirect(connection, 302, kRemotePath, access.set_cookie);
    case RequestKind::kLogin:
      return Redirect(connection, 303, "/", access.set_cookie);
    case RequestKind::kRunProgram: {
      RunExtras extras;
      if (!access.user.empty()) extras.user = access.user;
      extras.headers = FrameRule();
      if (!access.set_cookie.empty()) extras.headers.emplace_back("Set-Cookie", access.set_cookie);
      return Trapped(connection, "tunaro.exe", "The remote's program did not run",
                     [&] { return AnswerProgram(connection, extras); });
    }
    case RequestKind::kServeFile:
      return 0;
    case RequestKind::kPair:
    case RequestKind::kRefuse:
      break;
  }
  return Refuse(connection, 404, "Not found.");
}

// Checked before CivetWeb looks at the disk: the address list, the method,
// the size, the Host, the path rules, then who is asking.
int AnswerFirst(mg_connection* connection) {
  const WebServerSettings& settings = ServerOf(connection).settings();
  const mg_request_info* request = mg_get_request_info(connection);
  if (!IsAllowed(settings.allowed, request->remote_addr)) {
    return Refuse(connection, 403, "This address may not use the remote (see --allow).");
  }
  const std::string method = request->request_method;
  if (method != "GET" && method != "HEAD" && method != "POST") {
    return Refuse(connection, 405, "Method not allowed.");
  }
  // A chunked body has no size to check beforehand, and CivetWeb would read
  // it whole (to pass it on, or to drop it) whatever the method: none at all.
  if (mg_get_header(connection, "Transfer-Encoding") != nullptr) {
    return Refuse(connection, 411, "Send the body with a Content-Length.");
  }
  if (request->content_length > kMaxContentLength) {
    return Refuse(connection, 413, "Request too large.");
  }
  if (!settings.access->Hold()->HostAllowed(HeaderOf(connection, "Host"))) {
    return Refuse(connection, 421,
                  "This server answers only to this computer's own names and addresses (start it "
                  "with --allow-host NAME to add a name).");
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
  const RequestKind kind = ClassifyRequest(request->local_uri);
  if (kind == RequestKind::kRefuse) return Refuse(connection, 404, "Not found.");
  if (kind == RequestKind::kPair) return AnswerPairing(connection);
  if (!settings.login) return LetIn(connection, kind, AccessAnswer{});

  const AccessAnswer access =
      settings.access->Hold()->Admit(AccessRequestOf(connection), kind == RequestKind::kLogin);
  Log(connection, access.log);
  switch (access.admission) {
    case Admission::kLetIn:
      return LetIn(connection, kind, access);
    case Admission::kWaiting:
      return Wait(connection, access.wait);
    case Admission::kChallenge:
      // A browser whose user cancels the login's prompt shows this page.
      return PairingPage(connection, 401, PairingNote::kNone,
                         {{"WWW-Authenticate", access.challenge}});
    case Admission::kNotPaired:
      break;
  }
  return PairingPage(
      connection, 401,
      kind == RequestKind::kLogin ? PairingNote::kNoPasswordLogin : PairingNote::kNone);
}

int OnBeginRequest(mg_connection* connection) {
  return Trapped(connection, "server", "The server failed",
                 [connection] { return AnswerFirst(connection); });
}

// The two callbacks that only write lines: a failure there loses the line.
void OnEndRequest(const mg_connection* connection, int status) {
  try {
    const WebServer& server = ServerOf(connection);
    const mg_request_info* request = mg_get_request_info(connection);
    RequestRecord record;
    record.time = server.system().LocalTimeOfDay();
    record.client = ClientAddressText(request->remote_addr);
    record.status = status;
    record.path = request->local_uri_raw != nullptr ? request->local_uri_raw : "";
    if (request->query_string != nullptr) record.path += std::string("?") + request->query_string;
    if (server.settings().request_done) server.settings().request_done(record);
  } catch (...) {
  }
}

int OnLogMessage(const mg_connection* connection, const char* message) {
  try {
    ServerOf(connection).settings().error_log(std::string("server: ") + message + "\n");
  } catch (...) {
  }
  return 1;  // written: CivetWeb adds nothing of its own
}

}  // namespace

Listening WebServer::Start() {
  if (PortInUse(settings_.port)) return Listening::kPortInUse;

  const std::string port = std::to_string(settings_.port);
  // One dual-stack socket ("+port") for IPv4 and IPv6; IPv4 alone where the
  // machine has no IPv6.
  const std::string choices[2] = {"+" + port, port};
  mg_callbacks callbacks{};
  callbacks.begin_request = OnBeginRequest;
  callbacks.end_request = OnEndRequest;
  callbacks.log_message = OnLogMessage;
  mg_init_library(0);  // no TLS, Lua or websockets to set up
  const std::string workers = std::to_string(kWorkerThreads);
  // Checked by CivetWeb's master thread as it accepts a connection: a refused
  // address is closed there and never costs a worker. AnswerFirst checks
  // the same list again, by our own reading of the address.
  const std::string access_list = CivetAccessList(settings_.allowed);
  std::string why;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const std::string& ports = choices[attempt];
    std::vector<const char*> options = {
        "listening_ports", ports.c_str(), "document_root", "wwwroot",
        // No server-side includes, listings, index files or hidden extras.
        "ssi_pattern", "", "enable_directory_listing", "no", "index_files", "",
        // A second line behind the path rules: the settings and logins never.
        "hide_files_patterns", "**.conf$|**.htdigest$|**.htpasswd$", "num_threads", workers.c_str(),
        "max_request_size", kMaxHeadBytes, "request_timeout_ms", kRequestTimeoutMs,
        "access_control_list", access_list.c_str(),
        // One request a connection (CivetWeb's default, said here): no idle
        // kept-alive connection holds a worker between a phone's requests.
        "enable_keep_alive", "no",
        // The realm is the login file's, not a host name: CivetWeb must not
        // take it for the server's own in absolute addresses and the links
        // it makes. The login itself is ours (AnswerFirst): CivetWeb gets no
        // login file.
        "authentication_domain", kLoginRealm, "enable_auth_domain_check", "no", "additional_header",
        kFrameRuleLines};
    options.push_back(nullptr);
    char error_text[256] = "";
    mg_error_data error{};
    error.text = error_text;
    error.text_buffer_size = sizeof error_text;
    mg_init_data init{};
    init.callbacks = &callbacks;
    init.user_data = this;
    init.configuration_options = options.data();
    context_ = mg_start2(&init, &error);
    if (context_ != nullptr) {
      return attempt == 0 ? Listening::kIpv4AndIpv6 : Listening::kIpv4Only;
    }
    why = error_text;
    if (PortInUse(settings_.port)) return Listening::kPortInUse;
  }
  throw RunError(exit_code::kFailed, "The server did not start: " + why);
}

void WebServer::Stop() {
  if (context_ != nullptr) {
    mg_stop(context_);
    context_ = nullptr;
  }
}

}  // namespace tunaro::server
