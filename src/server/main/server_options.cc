#include "server/main/server_options.h"

#include <optional>
#include <utility>

#include "server/access/address_allow.h"

namespace tunaro::server {

const char kProgramName[] = "tunaro-server.exe";

namespace {

// Digits only (no sign, no blanks); 0 would let the system pick a port the
// phone cannot know.
std::optional<int> ReadPort(const std::string& text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return std::nullopt;
  return value;
}

}  // namespace

ParsedOptions ParseServerOptions(const std::vector<std::string>& arguments) {
  ParsedOptions parsed;
  ServerOptions& options = parsed.options;
  options.allowed = ParseAllowList(kHomeNetworks).ranges;
  bool one_shot = false;      // a command that does its one thing and ends
  bool serve_option = false;  // an option of serving, which --autostart on records
  // Each value is the next argument, as the usage shows; "--port=8090" is an
  // unknown option, not a second spelling.
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    const bool takes_value =
        name == "--port" || name == "--allow" || name == "--set-login" || name == "--autostart";
    if (takes_value && i + 1 == arguments.size()) {
      parsed.error = name + " needs a value";
      return parsed;
    }
    const std::string value = takes_value ? arguments[++i] : std::string();
    if (name == "--port") {
      const std::optional<int> port = ReadPort(value);
      if (!port) {
        parsed.error = "--port takes a number from 1 to 65535, not \"" + value + "\"";
        return parsed;
      }
      options.port = *port;
      serve_option = true;
    } else if (name == "--allow") {
      AllowList list = ParseAllowList(value);
      if (!list.error.empty()) {
        parsed.error = "--allow: " + list.error;
        return parsed;
      }
      options.allow = value;
      options.allowed = std::move(list.ranges);
      serve_option = true;
    } else if (name == "--no-login") {
      options.no_login = true;
      serve_option = true;
    } else if (name == "--console") {
      options.console = true;
      serve_option = true;
    } else if (name == "--tray") {
      options.tray = true;
      serve_option = true;
    } else if (name == "--set-login" || name == "--autostart" || name == "--firewall-help" ||
               name == "--help" || name == "-h" || name == "/?") {
      if (one_shot) {
        parsed.error = "give only one of --set-login, --autostart, --firewall-help, --help";
        return parsed;
      }
      one_shot = true;
      if (name == "--set-login") {
        if (value.empty() || value.find(':') != std::string::npos) {
          parsed.error = "--set-login takes a user name without a colon";
          return parsed;
        }
        options.command = Command::kSetLogin;
        options.login_user = value;
      } else if (name == "--autostart") {
        if (value != "on" && value != "off") {
          parsed.error = "--autostart takes on or off, not \"" + value + "\"";
          return parsed;
        }
        options.command = Command::kAutostart;
        options.autostart_on = value == "on";
      } else if (name == "--firewall-help") {
        options.command = Command::kFirewallHelp;
      } else {
        options.command = Command::kHelp;
      }
    } else {
      parsed.error = "unknown option \"" + name + "\"";
      return parsed;
    }
  }
  // --autostart on records the serving options with it; the others ignore none silently.
  if (serve_option && one_shot && options.command != Command::kAutostart) {
    parsed.error =
        "--port, --allow, --no-login, --console and --tray go with serving or with --autostart on";
  } else if (options.console && options.tray) {
    parsed.error = "give --console or --tray, not both";
  }
  return parsed;
}

std::vector<std::string> ServeArguments(const ServerOptions& options) {
  std::vector<std::string> arguments;
  if (options.port != 8080) {
    arguments.push_back("--port");
    arguments.push_back(std::to_string(options.port));
  }
  if (!options.allow.empty()) {
    arguments.push_back("--allow");
    arguments.push_back(options.allow);
  }
  if (options.no_login) arguments.push_back("--no-login");
  if (options.console) arguments.push_back("--console");
  return arguments;
}

std::vector<std::string> LogonArguments(const ServerOptions& options) {
  std::vector<std::string> arguments = ServeArguments(options);
  if (!options.console) arguments.push_back("--tray");
  return arguments;
}

const char* UsageText() {
  return "Usage: tunaro-server.exe [--port N] [--allow LIST] [--no-login] [--console|--tray]\n"
         "Serves the Tunaro remote from the folder this program is in: wwwroot\\ as /,\n"
         "and tunaro.exe in each folder of cgi-bin\\ as /cgi-bin/<folder>/tunaro. A window\n"
         "shows the address and QR code to open on the phone, and what to fix; closed, it\n"
         "keeps the server running in the notification area (Quit there stops it).\n"
         "\n"
         "  --port N          the port to listen on, IPv4 and IPv6 (default 8080)\n"
         "  --allow LIST      the addresses that may connect, comma-separated addresses or\n"
         "                    ranges (127.0.0.1,192.168.1.0/24,::1); default: this computer and\n"
         "                    the home network (127.0.0.0/8, 10.0.0.0/8, 172.16.0.0/12,\n"
         "                    192.168.0.0/16, 169.254.0.0/16, 100.64.0.0/10, ::1, fc00::/7,\n"
         "                    fe80::/10). Others get 403 Forbidden.\n"
         "  --no-login        serve without a login: anyone on the network can use the remote\n"
         "  --console         no window: the addresses, the QR code and the log in this console\n"
         "                    (Ctrl+C stops the server)\n"
         "  --tray            start with the window hidden, the icon in the notification area\n"
         "\n"
         "One-shot commands:\n"
         "  --set-login USER  sets the login: reads the password from standard input (one\n"
         "                    line) and writes tunaro-login.htdigest beside this program\n"
         "  --autostart on|off  starts this program at logon in the notification area (with\n"
         "                    the options given with it), or no longer; for the current user,\n"
         "                    no administrator needed\n"
         "  --firewall-help   prints the PowerShell lines that allow this program on private\n"
         "                    networks, for an administrator\n"
         "  --help            this text\n"
         "\n"
         "Exit codes: 0 normal end, 2 bad option, 3 broken login file, 4 port in use,\n"
         "1 anything else.\n";
}

}  // namespace tunaro::server
