#include "server/main/serve.h"

#include <string>
#include <vector>

#include "base/run_error.h"
#include "server/access/login_file.h"
#include "server/access/pairing_code.h"
#include "server/desktop/console_qr.h"
#include "server/desktop/pairing_text.h"
#include "server/desktop/server_addresses.h"
#include "server/desktop/win32_console.h"
#include "server/desktop/win32_single_instance.h"
#include "server/http/web_server.h"
#include "server/http/win32_access_desk.h"
#include "server/main/win32_release_folder.h"
#include "server/system/server_exit.h"

namespace tunaro::server {
namespace {

WebServerSettings SettingsFor(const ServerOptions& options, AccessDesk& access) {
  WebServerSettings settings;
  settings.access = &access;
  settings.port = options.port;
  settings.allowed = options.allowed;
  settings.login = !options.no_login;
  settings.program_folders = ProgramFolders();
  settings.request_log = Print;
  settings.error_log = PrintError;
  return settings;
}

// The login file is for scripts and may be missing; it is checked here once
// so that a broken one is not a login that merely fails on every request.
void CheckLogin(ServerSystem& system) {
  const LoginFileCheck check = CheckLoginFile(system);
  if (check.state != LoginFileState::kBroken) return;
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

// The pairing code as the console shows it, with its QR code when the output
// is a console (a log or a test gets the text alone).
void PrintPairingCode(ServerSystem& system, AccessDesk& access, int port) {
  const PairingCodeKeeper::Code code = access.Hold()->CurrentCode();
  const std::string link = PairingLink(PairingHost(system), port, code.text);
  std::string text = PairingCodeText(code.text, system.LocalTimeOfDay(),
                                     code.expires_at - system.UnixTime(), link);
  if (OutputIsConsole()) text += ConsoleQrCode(link);
  Print(text + "\n");
}

void PrintDevicesHealth(const DevicesFileHealth& health) {
  if (health.state != DevicesFileState::kGood) {
    PrintError(health.problem + "\n" + health.what_to_do + "\n\n");
  }
}

// A new code (the last one used, or expired) is shown within a second, and
// so is a devices file that could not be written.
void ShowNewCodesUntilStopped(ServerSystem& system, AccessDesk& access, int port) {
  std::uint64_t shown = access.Hold()->code_generation();
  DevicesFileState state = access.Hold()->devices_health().state;
  while (!StopRequestedWithin(1000)) {
    std::uint64_t now;
    DevicesFileHealth health;
    {
      AccessDesk::Held gate = access.Hold();
      gate->CurrentCode();  // replaces an expired one
      now = gate->code_generation();
      health = gate->devices_health();
    }
    if (health.state != state) {
      state = health.state;
      PrintDevicesHealth(health);
    }
    if (now != shown) {
      shown = now;
      PrintPairingCode(system, access, port);
    }
  }
}

void PrintBanner(const std::string& folder, Listening listening,
                 const std::vector<std::string>& addresses, const ServerOptions& options) {
  std::string banner =
      "Tunaro's remote is served from " + folder + "\n" +
      (listening == Listening::kIpv4Only ? "(IPv4 only: this machine has no IPv6)\n" : "") +
      "Open one of these addresses on your phone:\n";
  for (const std::string& address : addresses) banner += "  " + address + "\n";
  Print(banner);
  // Redirected output (a log, a test) gets no drawing; with pairing, the
  // pairing code's QR code is the one to scan.
  if (OutputIsConsole() && options.no_login) {
    const std::string code = ConsoleQrCode(addresses.front());
    if (!code.empty()) Print(code);
  }
  Print(std::string(!options.no_login
                        ? "Phones pair with the code below; scripts log in with the password of "
                          "--set-login.\n"
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
  AccessDesk access(system, AccessSettings{options.port, options.allow_hosts});
  const WebServerSettings settings = SettingsFor(options, access);

  SingleInstance instance;
  if (!instance.IsFirst()) {
    const std::string address = instance.RunningAddress();
    Print("Tunaro's server is already running in this session" +
          (address.empty() ? std::string(".") : ": " + address) + "\n");
    return;
  }
  if (settings.login) CheckLogin(system);

  InstallStopHandler();
  WebServer server(system, settings);
  const Listening listening = StartListening(server, options.port);
  const std::vector<std::string> addresses = ServerAddresses(system, options.port);
  instance.PublishAddress(addresses.front());
  PrintBanner(folder, listening, addresses, options);
  if (settings.login) {
    PrintDevicesHealth(access.Hold()->devices_health());
    PrintPairingCode(system, access, options.port);
    ShowNewCodesUntilStopped(system, access, options.port);
  } else {
    WaitForStopRequest();
  }
  Print("Stopping...\n");
  server.Stop();
  Print("Stopped.\n");
}

}  // namespace tunaro::server
