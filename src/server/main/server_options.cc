#include "server/main/server_options.h"

#include <optional>
#include <utility>

#include "server/access/address_allow.h"
#include "server/access/http_fields.h"

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
    const bool takes_value = name == "--port" || name == "--allow" || name == "--allow-host" ||
                             name == "--set-login" || name == "--autostart" ||
                             name == "--test-clock-shift";
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
    } else if (name == "--allow-host") {
      // A name as a Host header carries it, without a port.
      const std::optional<HostHeader> host = ParseHostHeader(value);
      if (!host || host->port || value.find_first_of(" \t") != std::string::npos) {
        parsed.error =
            "--allow-host takes a host name or address without a port, not \"" + value + "\"";
        return parsed;
      }
      options.allow_hosts.push_back(host->name);
      serve_option = true;
    } else if (name == "--test-clock-shift") {
      options.clock_shift_file = value;
    } else if (name == "--console") {
      options.console = true;
      serve_option = true;
    } else if (name == "--tray") {
      options.tray = true;
      serve_option = true;
    } else if (name == "--set-login" || name == "--forget-devices" || name == "--autostart" ||
               name == "--firewall-help" || name == "--help" || name == "-h" || name == "/?") {
      if (one_shot) {
        parsed.error =
            "give only one of --set-login, --forget-devices, --autostart, --firewall-help, --help";
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
      } else if (name == "--forget-devices") {
        options.command = Command::kForgetDevices;
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
        "--port, --allow, --allow-host, --no-login, --console and --tray go with serving or "
        "with --autostart on";
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
  for (const std::string& name : options.allow_hosts) {
    arguments.push_back("--allow-host");
    arguments.push_back(name);
  }
  if (options.console) arguments.push_back("--console");
  return arguments;
}

std::vector<std::string> LogonArguments(const ServerOptions& options) {
  std::vector<std::string> arguments = ServeArguments(options);
  if (!options.console) arguments.push_back("--tray");
  return arguments;
}

const char* UsageText() {
  return "Usage: tunaro-server.exe [--port N] [--allow LIST] [--allow-host NAME] [--no-login]\n"
         "                         [--console | --tray]\n"
         "Serves the Tunaro remote from the folder this program is in: wwwroot\\ as /,\n"
         "and tunaro.exe in each folder of cgi-bin\\ as /cgi-bin/<folder>/tunaro. A window\n"
         "shows the QR code a phone pairs by (or the code to type at /pair) and what to\n"
         "fix; closed, it keeps the server running in the notification area (Quit there\n"
         "stops it). Scripts log in with the password of --set-login.\n"
         "\n"
         "  --port N          the port to listen on, IPv4 and IPv6 (default 8080)\n"
         "  --allow LIST      the addresses that may connect, comma-separated addresses or\n"
         "                    ranges (127.0.0.1,192.168.1.0/24,::1); default: this computer and\n"
         "                    the home network (127.0.0.0/8, 10.0.0.0/8, 172.16.0.0/12,\n"
         "                    192.168.0.0/16, 169.254.0.0/16, 100.64.0.0/10, ::1, fc00::/7,\n"
         "                    fe80::/10). Others are closed unanswered.\n"
         "  --allow-host NAME answers to NAME too (a name you gave this PC on the router);\n"
         "                    it answers to its own names and addresses only, others get\n"
         "                    421. May be given more than once.\n"
         "  --no-login        serve without pairing or login: anyone on the network can use\n"
         "                    the remote\n"
         "  --console         no window: the addresses, the QR code and the log in this console\n"
         "                    (Ctrl+C stops the server)\n"
         "  --tray            start with the window hidden, the icon in the notification area\n"
         "\n"
         "One-shot commands:\n"
         "  --set-login USER  sets the password login for scripts: reads the password (8\n"
         "                    characters or more) from standard input, one line, and writes\n"
         "                    tunaro-login.htdigest beside this program\n"
         "  --forget-devices  forgets every paired phone and browser: each must pair again\n"
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
