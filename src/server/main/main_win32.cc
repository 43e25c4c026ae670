// tunaro-server.exe: serves the unpacked release folder it lies in, to paired
// phones and scripts with a login, on the home network, in the user's own
// session. This is its entry
// point and the trap every failure ends in; the serving itself is serve.cc's.
#include <exception>
#include <optional>
#include <string>

#include "base/run_error.h"
#include "server/access/device_store.h"
#include "server/access/login_digest.h"
#include "server/access/login_file.h"
#include "server/desktop/autostart.h"
#include "server/desktop/firewall_help.h"
#include "server/desktop/win32_console.h"
#include "server/desktop/win32_single_instance.h"
#include "server/main/serve.h"
#include "server/main/server_options.h"
#include "server/system/server_exit.h"
#include "server/system/win32_server_system.h"

namespace tunaro::server {
namespace {

// --set-login USER: the password comes on standard input, so that scripts can
// set it without it showing in a command line.
void SetLoginFromInput(ServerSystem& system, const std::string& user) {
  const std::optional<std::string> password = ReadInputLine(false);
  if (!password || password->empty()) {
    throw RunError(exit_code::kBadOption,
                   "--set-login: give the password on standard input, one line, not empty");
  }
  if (const std::optional<std::string> problem = PasswordProblem(*password)) {
    throw RunError(exit_code::kBadOption, "--set-login: " + *problem);
  }
  SaveLoginFile(system, user, LoginDigestHex(user, *password));
  Print("Login set for \"" + user + "\" in " + LoginFilePath(system) + "\n");
}

// --forget-devices: the running server keeps its devices in memory and would
// write them back, so it must be stopped first.
void ForgetDevices(ServerSystem& system) {
  const SingleInstance instance;
  if (!instance.IsFirst()) {
    throw RunError(exit_code::kFailed,
                   "Tunaro's server is running in this session: stop it, then run " +
                       std::string(kProgramName) + " --forget-devices again.");
  }
  const int count = ForgetAllDevices(system);
  Print("Forgot " + std::to_string(count) + (count == 1 ? " device" : " devices") + " (" +
        DevicesFilePath(system) + "): each must pair again.\n");
}

void ChangeAutostart(ServerSystem& system, const ServerOptions& options) {
  SetAutostart(system, options.autostart_on, LogonArguments(options));
  Print(options.autostart_on ? "Tunaro's server now starts in the notification area when you log "
                               "on.\n"
                             : "Tunaro's server no longer starts when you log on.\n");
}

int Run(Win32ServerSystem& system) {
  const ParsedOptions parsed = ParseServerOptions(ProgramArguments());
  if (!parsed.error.empty()) {
    throw RunError(exit_code::kBadOption,
                   std::string(kProgramName) + ": " + parsed.error + "\n\n" + UsageText());
  }
  const ServerOptions& options = parsed.options;
  if (!options.clock_shift_file.empty()) system.SetClockShiftFile(options.clock_shift_file);
  switch (options.command) {
    case Command::kHelp:
      Print(UsageText());
      break;
    case Command::kFirewallHelp:
      Print(FirewallHelpText(system.ProgramPath()));
      break;
    case Command::kSetLogin:
      SetLoginFromInput(system, options.login_user);
      break;
    case Command::kForgetDevices:
      ForgetDevices(system);
      break;
    case Command::kAutostart:
      ChangeAutostart(system, options);
      break;
    case Command::kServe:
      Serve(system, options);
      break;
  }
  return exit_code::kOk;
}

// A failure's text on standard error as one or more whole lines; one that
// says nothing (the input ended at a question) prints nothing.
void Report(const std::string& text) {
  if (text.empty()) return;
  PrintError(text.back() == '\n' ? text : text + "\n");
}

}  // namespace
}  // namespace tunaro::server

int main() {
  using namespace tunaro::server;
  Win32ServerSystem system;
  try {
    return Run(system);
  } catch (const tunaro::RunError& failure) {
    Report(failure.description());
    return ExitCodeOf(failure);
  } catch (const std::exception& failure) {
    Report(std::string("an unexpected failure ended the server: ") + failure.what());
  } catch (...) {
    Report("an unexpected failure ended the server");
  }
  return exit_code::kFailed;
}
