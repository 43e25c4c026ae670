// The command line of tunaro-server.exe.
#ifndef TUNARO_SERVER_MAIN_SERVER_OPTIONS_H_
#define TUNARO_SERVER_MAIN_SERVER_OPTIONS_H_

#include <string>
#include <vector>

#include "server/access/address_allow.h"

namespace tunaro::server {

// The program's name as its messages give it.
extern const char kProgramName[];

enum class Command { kServe, kSetLogin, kForgetDevices, kAutostart, kFirewallHelp, kHelp };

struct ServerOptions {
  Command command = Command::kServe;
  int port = 8080;
  // --allow as given, empty without one; and read, kHomeNetworks without one.
  std::string allow;
  std::vector<AddressRange> allowed;
  bool no_login = false;
  bool console = false;    // --console: the console as before, no window
  bool tray = false;       // --tray: the window hidden at start, the icon in the tray
  std::vector<std::string> allow_hosts;  // --allow-host NAME, each as given
  // For the tests of the real exe alone, never shown in the usage: a file
  // whose number of seconds the server's clock runs ahead by.
  std::string clock_shift_file;
  std::string login_user;  // --set-login USER
  bool autostart_on = false;
};

// Either the options or a message that says what is wrong: a mistyped option
// is an outcome to expect, not a failure of the program.
struct ParsedOptions {
  ServerOptions options;
  std::string error;
};

ParsedOptions ParseServerOptions(const std::vector<std::string>& arguments);

// The options a logon start repeats: port, allow list, no-login, the extra
// host names, console, each as one argument (the caller quotes them).
std::vector<std::string> ServeArguments(const ServerOptions& options);

// The arguments of the logon start: ServeArguments, and --tray unless it
// runs in the console, so that it starts in the tray with no window.
std::vector<std::string> LogonArguments(const ServerOptions& options);

// The text of --help.
const char* UsageText();

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_MAIN_SERVER_OPTIONS_H_
