#include "server/main/serve.h"

#include <string>
#include <vector>

#include "base/run_error.h"
#include "server/access/login_digest.h"
#include "server/access/login_file.h"
#include "server/desktop/console_qr.h"
#include "server/desktop/login_prompt.h"
#include "server/desktop/server_addresses.h"
#include "server/desktop/win32_console.h"
#include "server/desktop/win32_single_instance.h"
#include "server/http/web_server.h"
#include "server/main/win32_release_folder.h"
#include "server/system/server_exit.h"

namespace tunaro::server {
namespace {

WebServerSettings SettingsFor(const ServerOptions& options) {
  WebServerSettings settings;
  settings.port = options.port;
  settings.allowed = options.allowed;
  settings.login = !options.no_login;
  settings.program_folders = ProgramFolders();
  settings.request_log = Print;
  settings.error_log = PrintError;
  return settings;
}

// A good login file, or the first start's questions when there is none; the
// login file is checked here once so that a broken one is not a login that
// merely fails on every phone.
void EnsureLogin(ServerSystem& system) {
  const LoginFileCheck check = CheckLoginFile(system);
  switch (check.state) {
    case LoginFileState::kGood:
      return;
    case LoginFileState::kMissing: {
      const Login login = AskForLogin();
      SaveLoginFile(system, login.user, LoginDigestHex(login.user, login.password));
      Print("Login saved in " + LoginFilePath(system) + "\n");
      return;
    }
    case LoginFileState::kBroken:
      break;
  }
  throw RunError(exit_code::kBadLogin,
                 "The login file " + LoginFilePath(system) + " is broken: " + check.problem +
                     ". Delete it and start again to set a new login, or run " + kProgramName +
                     " --set-login USER.");
}

// Starts CivetWeb; a taken port is the user's to change, so it says which
// other port to try.
Listening StartListening(WebServer& server, int port) {
  const Listening listening = server.Start();
  if (listening == Listening::kPortInUse) {
    throw RunError(exit_code::kPortInUse,
                   "Port " + std::to_string(port) +
                       " is in use by another program. Start with another port: " + kProgramName +
                       " --port " + std::to_string(port == 65535 ? 8081 : port + 1));
  }
  return listening;
}

void PrintBanner(const std::string& folder, Listening listening,
                 const std::vector<std::string>& addresses, const ServerOptions& options) {
  std::string banner =
      "Tunaro's remote is served from " + folder + "\n" +
      (listening == Listening::kIpv4Only ? "(IPv4 only: this machine has no IPv6)\n" : "") +
      "Open one of these addresses on your phone:\n";
  for (const std::string& address : addresses) banner += "  " + address + "\n";
  Print(banner);
  // Redirected output (a log, a test) gets no drawing.
  if (OutputIsConsole()) {
    const std::string code = ConsoleQrCode(addresses.front());
    if (!code.empty()) Print(code);
  }
  Print(std::string(!options.no_login ? "Log in with the user name and password you set.\n"
                                      : "NO LOGIN (--no-login): anyone on the network can use the "
                                        "remote.\n") +
        (options.allow.empty() ? "Only this computer and the home network may connect.\n"
                               : "Only these addresses may connect: " + options.allow + "\n") +
        "When Windows asks, allow the program on private networks (" + kProgramName +
        " --firewall-help shows more).\nCtrl+C or closing this window stops the server.\n\n");
}

}  // namespace

void Serve(ServerSystem& system, const ServerOptions& options) {
  const std::string folder = system.ProgramFolder();
  EnterReleaseFolder(folder);
  const WebServerSettings settings = SettingsFor(options);

  SingleInstance instance;
  if (!instance.IsFirst()) {
    const std::string address = instance.RunningAddress();
    Print("Tunaro's server is already running in this session" +
          (address.empty() ? std::string(".") : ": " + address) + "\n");
    return;
  }
  if (settings.login) EnsureLogin(system);

  InstallStopHandler();
  WebServer server(system, settings);
  const Listening listening = StartListening(server, options.port);
  const std::vector<std::string> addresses = ServerAddresses(system, options.port);
  instance.PublishAddress(addresses.front());
  PrintBanner(folder, listening, addresses, options);

  WaitForStopRequest();
  Print("Stopping...\n");
  server.Stop();
  Print("Stopped.\n");
}

}  // namespace tunaro::server
