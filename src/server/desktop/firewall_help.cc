#include "server/desktop/firewall_help.h"

#include "server/desktop/elevated_commands.h"

namespace tunaro::server {

std::string FirewallHelpText(const std::string& program) {
  return "When Windows asks whether to allow tunaro-server.exe, tick Private networks and allow "
         "it.\n"
         "The server's window shows whether the firewall lets phones in, with a button that\n"
         "fixes it. By hand, an administrator runs these lines in PowerShell (\"Run as\n"
         "administrator\"): they remove the Block rules that a dismissed prompt left for any\n"
         "copy of this program, and allow this one on private networks.\n\n" +
         FirewallFixScript(program) +
         "\n"
         "# Your home network must count as Private (a new network starts as Public):\n"
         "Get-NetConnectionProfile\n"
         "Set-NetConnectionProfile -InterfaceAlias \"Wi-Fi\" -NetworkCategory Private\n\n"
         "In PowerShell, start this program from its folder as .\\tunaro-server.exe: PowerShell\n"
         "does not run a program of the current folder by its name alone.\n";
}

}  // namespace tunaro::server
