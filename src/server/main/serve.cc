#include "server/main/serve.h"

#include <optional>
#include <string>
#include <vector>

#include "base/run_error.h"
#include "server/access/login_digest.h"
#include "server/access/login_file.h"
#include "server/desktop/console_qr.h"
#include "server/desktop/desktop_view.h"
#include "server/desktop/login_prompt.h"
#include "server/desktop/server_addresses.h"
#include "server/desktop/win32_console.h"
#include "server/desktop/win32_login_dialog.h"
#include "server/desktop/win32_main_window.h"
#include "server/desktop/win32_single_instance.h"
#include "server/http/server_log.h"
#include "server/http/web_server.h"
#include "server/http/win32_shared_request_log.h"
#include "server/main/win32_release_folder.h"
#include "server/system/server_exit.h"

namespace tunaro::server {
namespace {

constexpr unsigned kLogEveryMs = 250;

// Every line from CivetWeb's threads goes into the queue and nowhere else.
WebServerSettings SettingsFor(ServerSystem& system, const ServerOptions& options,
                              SharedRequestLog& log) {
  WebServerSettings settings;
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

// The login the first start asks for: in the console, or in a small window.
Login AskForFirstLogin(bool in_window) {
  if (!in_window) return AskForLogin();
  const std::optional<Login> login = AskForLoginInWindow();
  if (!login) {
    throw RunError(exit_code::kBadLogin,
                   "No login set: the server needs one before a phone may use the remote.");
  }
  return *login;
}

// A good login file, or the first start's questions when there is none; the
// login file is checked here once so that a broken one is not a login that
// merely fails on every phone.
void EnsureLogin(ServerSystem& system, bool in_window) {
  const LoginFileCheck check = CheckLoginFile(system);
  switch (check.state) {
    case LoginFileState::kGood:
      return;
    case LoginFileState::kMissing: {
      const Login login = AskForFirstLogin(in_window);
      SaveLoginFile(system, login.user, LoginDigestHex(login.user, login.password));
      if (!in_window) Print("Login saved in " + LoginFilePath(system) + "\n");
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
                 const std::vector<std::string>& addresses, const ServerOptions& options,
                 const std::string& log_path) {
  std::string banner =
      "Tunaro's remote is served from " + folder + "\n" +
      (listening == Listening::kIpv4Only ? "(IPv4 only: this machine has no IPv6)\n" : "") +
      "Open one of these addresses on your phone:\n";
  for (const std::string& address : addresses) banner += "  " + address + "\n";
  Print(banner);
  // Redirected output (a log, a test) gets no drawing.
  if (OutputIsConsole()) {
    const std::string code = ConsoleQrCode(addresses.front(), ConsoleOutputCodePage());
    if (!code.empty()) Print(code);
  }
  Print(std::string(!options.no_login ? "Log in with the user name and password you set.\n"
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
  if (!options.no_login) EnsureLogin(system, false);

  const QuickEditOff quick_edit;
  InstallStopHandler();
  SharedRequestLog queue;
  WebServer server(system, SettingsFor(system, options, queue));
  const Listening listening = StartListening(server, options.port);
  const std::vector<std::string> addresses = ServerAddresses(system, options.port);
  instance.PublishAddress(addresses.front());
  ServerLog log(system);
  log.Note("serving " + folder + " on port " + std::to_string(options.port) + " (console)",
           system.LocalTimeOfDay());
  PrintBanner(folder, listening, addresses, options, log.path());

  // The console may block a write (a selection, Ctrl+S): only this thread
  // waits then, and the queue drops lines rather than hold a request.
  const auto show = [&] {
    for (const std::string& line : log.Take(queue.Take(), system.LocalTimeOfDay())) Print(line);
  };
  while (!WaitForStopRequest(kLogEveryMs)) show();
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
  if (!options.no_login) EnsureLogin(system, true);

  InstallStopHandler();
  SharedRequestLog queue;
  WebServer server(system, SettingsFor(system, options, queue));
  StartListening(server, options.port);
  DesktopController controller(system, options.port, !options.no_login,
                               [&queue] { return queue.Take(); });
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
