#include "server/main/serve.h"

#include <cstdint>
#include <string>
#include <vector>

#include "base/run_error.h"
#include "server/access/login_file.h"
#include "server/access/pairing_code.h"
#include "server/desktop/console_qr.h"
#include "server/desktop/desktop_view.h"
#include "server/desktop/pairing_text.h"
#include "server/desktop/server_addresses.h"
#include "server/desktop/win32_console.h"
#include "server/desktop/win32_main_window.h"
#include "server/desktop/win32_single_instance.h"
#include "server/http/server_log.h"
#include "server/http/web_server.h"
#include "server/http/win32_access_desk.h"
#include "server/http/win32_shared_request_log.h"
#include "server/main/win32_release_folder.h"
#include "server/system/server_exit.h"

namespace tunaro::server {
namespace {

constexpr int kLogEveryMs = 250;

// Every line from CivetWeb's threads goes into the queue and nowhere else.
WebServerSettings SettingsFor(ServerSystem& system, const ServerOptions& options,
                              AccessDesk& access, SharedRequestLog& log) {
  WebServerSettings settings;
  settings.access = &access;
  settings.port = options.port;
  settings.allowed = options.allowed;
  settings.login = !options.no_login;
  settings.program_folders = ProgramFolders();
  const auto message = [&system, &log](const std::string& line) {
    log.AddMessage(system.LocalTimeOfDay(), line);
  };
  settings.request_log = message;
  settings.error_log = message;
  settings.request_done = [&log](const RequestRecord& request) { log.AddRequest(request); };
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
  std::string text =
      PairingCodeText(code.text, system.LocalTimeOfDay(), code.expires_at - system.UnixTime(), link,
                      OutputIsConsole() ? ConsoleOutputCodePage() : 0);
  if (OutputIsConsole()) text += ConsoleQrCode(link, ConsoleOutputCodePage());
  Print(text + "\n");
}

void PrintDevicesHealth(const DevicesFileHealth& health) {
  if (health.state != DevicesFileState::kGood) {
    PrintError(health.problem + "\n" + health.what_to_do + "\n\n");
  }
}

// What the console has shown of the access gate.
struct ShownCode {
  std::uint64_t generation = 0;
  DevicesFileState state = DevicesFileState::kGood;
};

// A new code (the last one used, or expired) is shown, and so is a devices
// file that could not be written.
void ShowCodeChanges(ServerSystem& system, AccessDesk& access, int port, ShownCode& shown) {
  std::uint64_t now;
  DevicesFileHealth health;
  {
    AccessDesk::Held gate = access.Hold();
    gate->CurrentCode();  // replaces an expired one
    now = gate->code_generation();
    health = gate->devices_health();
  }
  if (health.state != shown.state) {
    shown.state = health.state;
    PrintDevicesHealth(health);
  }
  if (now != shown.generation) {
    shown.generation = now;
    PrintPairingCode(system, access, port);
  }
}

void PrintBanner(const std::string& folder, Listening listening,
                 const std::vector<std::string>& addresses, const ServerOptions& options,
                 const std::string& log_path) {
  std::string banner =
      "Tunaro's remote is served from " + folder + "\n" +
      (listening == Listening::kIpv4Only ? "(IPv4 only: this machine has no IPv6)\n" : "") +
      "Open one of these addresses on your phone:\n";
  for (const std::string& address : addresses) banner += "  " + address + "\n";
  Print(banner);
  // Redirected output (a log, a test) gets no drawing; with pairing, the
  // pairing code's QR code is the one to scan.
  if (OutputIsConsole() && options.no_login) {
    const std::string code = ConsoleQrCode(addresses.front(), ConsoleOutputCodePage());
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
        " --firewall-help shows more).\nThe log is kept in " + log_path +
        ".\nCtrl+C or closing this window stops the server.\n\n");
}

// --console: the server as it always ran, its lines in the console.
void ServeInConsole(ServerSystem& system, const ServerOptions& options, const std::string& folder) {
  SingleInstance instance;
  if (!instance.IsFirst()) {
    const std::string address = instance.RunningAddress();
    Print("Tunaro's server is already running in this session" +
          (address.empty() ? std::string(".") : ": " + address) + "\n");
    return;
  }
  const bool login = !options.no_login;
  if (login) CheckLogin(system);

  const QuickEditOff quick_edit;
  InstallStopHandler();
  AccessDesk access(system, AccessSettings{options.port, options.allow_hosts});
  SharedRequestLog queue;
  WebServer server(system, SettingsFor(system, options, access, queue));
  const Listening listening = StartListening(server, options.port);
  const std::vector<std::string> addresses = ServerAddresses(system, options.port);
  instance.PublishAddress(addresses.front());
  ServerLog log(system);
  log.Note("serving " + folder + " on port " + std::to_string(options.port) + " (console)",
           system.LocalTimeOfDay());
  PrintBanner(folder, listening, addresses, options, log.path());
  ShownCode shown;
  if (login) {
    shown.generation = access.Hold()->code_generation();
    shown.state = access.Hold()->devices_health().state;
    PrintDevicesHealth(access.Hold()->devices_health());
    PrintPairingCode(system, access, options.port);
  }

  // The console may block a write (a selection, Ctrl+S): only this thread
  // waits then, and the queue drops lines rather than hold a request.
  const auto show = [&] {
    for (const std::string& line : log.Take(queue.Take(), system.LocalTimeOfDay())) Print(line);
  };
  for (int tick = 1; !StopRequestedWithin(kLogEveryMs); ++tick) {
    show();
    // A new pairing code shows within a second.
    if (login && tick % (1000 / kLogEveryMs) == 0) {
      ShowCodeChanges(system, access, options.port, shown);
    }
  }
  Print("Stopping...\n");
  server.Stop();
  show();
  log.Note("stopped", system.LocalTimeOfDay());
  Print("Stopped.\n");
}

// The window, or only the tray icon (--tray); no console is needed.
void ServeInWindow(ServerSystem& system, const ServerOptions& options, const std::string& folder) {
  BecomeDpiAware();
  const bool console_kept = !LeaveOwnConsole() && OutputIsConsole();
  // A script that started it reads its output; a user who double-clicked, a box.
  const bool output_read = console_kept || OutputIsVisible();
  SingleInstance instance;
  if (!instance.IsFirst()) {
    if (RaiseRunningWindow()) return;
    // The running copy has no window: it runs in a console (--console).
    const std::string address = instance.RunningAddress();
    const std::string text = "Tunaro's server is already running in this session" +
                             (address.empty() ? std::string(".") : ": " + address);
    if (output_read) {
      Print(text + "\n");
    } else {
      ShowNotice(text);
    }
    return;
  }
  const bool login = !options.no_login;
  if (login) CheckLogin(system);

  InstallStopHandler();
  AccessDesk access(system, AccessSettings{options.port, options.allow_hosts});
  SharedRequestLog queue;
  WebServer server(system, SettingsFor(system, options, access, queue));
  StartListening(server, options.port);
  PairingDesk pairing;
  if (login) {
    pairing.now = [&system, &access] {
      AccessDesk::Held gate = access.Hold();
      const PairingCodeKeeper::Code code = gate->CurrentCode();  // a new one when it expired
      const DevicesFileHealth& health = gate->devices_health();
      PairingCodeNow now{code.text,
                         code.expires_at - system.UnixTime(),
                         health.state == DevicesFileState::kGood
                             ? std::string()
                             : health.problem + " " + health.what_to_do,
                         {},
                         system.UnixTime()};
      for (const Device& device : gate->devices()) {
        now.devices.push_back({DeviceId(device), device.name, device.paired_at, device.last_seen});
      }
      return now;
    };
    pairing.forget = [&access](const std::string& id) { access.Hold()->ForgetDevice(id); };
  }
  DesktopController controller(
      system, options.port, login, [&queue] { return queue.Take(); }, pairing);
  instance.PublishAddress(PhoneAddress(controller.view()));
  controller.Note("serving " + folder + " on port " + std::to_string(options.port));
  if (console_kept) {
    Print("Tunaro's server runs in its window (" + PhoneAddress(controller.view()) +
          "); closing this console stops it. " + kProgramName +
          " --console runs it in the console instead.\n");
  }
  WindowSettings settings;
  settings.start_hidden = options.tray;
  settings.logon_arguments = LogonArguments(options);
  settings.stop_server = [&server] { server.Stop(); };
  RunMainWindow(controller, settings);
  server.Stop();
  controller.TakeLog();
  controller.Note("stopped");
}

}  // namespace

void Serve(ServerSystem& system, const ServerOptions& options) {
  const std::string folder = system.ProgramFolder();
  if (options.console) {
    EnterReleaseFolder(folder);
    ServeInConsole(system, options, folder);
    return;
  }
  // Started by a double-click or at logon there is no console to read a
  // failure in: the user gets a message box, a script its standard error.
  try {
    EnterReleaseFolder(folder);
    ServeInWindow(system, options, folder);
  } catch (const RunError& failure) {
    if (!ErrorOutputIsVisible()) ShowFailure(failure.description());
    throw;
  }
}

}  // namespace tunaro::server
