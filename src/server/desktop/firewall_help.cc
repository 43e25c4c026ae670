#include "server/desktop/firewall_help.h"

namespace tunaro::server {

std::string FirewallHelpText(const std::string& program) {
  return "When Windows asks whether to allow tunaro-server.exe, tick Private networks and allow "
         "it.\n"
         "If the prompt was dismissed, or you are not an administrator, an administrator can run\n"
         "these lines in PowerShell (\"Run as administrator\") instead:\n\n"
         "# Remove the Block rules that a dismissed prompt left for this program:\n"
         "Get-NetFirewallApplicationFilter -Program \"" +
         program +
         "\" | Get-NetFirewallRule | Where-Object Action -eq Block | Remove-NetFirewallRule\n"
         "# Allow it on private networks:\n"
         "New-NetFirewallRule -DisplayName \"Tunaro server\" -Direction Inbound -Action Allow "
         "-Profile Private -Program \"" +
         program +
         "\"\n"
         "# Your home network must count as Private (a new Wi-Fi starts as Public):\n"
         "Get-NetConnectionProfile\n"
         "Set-NetConnectionProfile -InterfaceAlias \"Wi-Fi\" -NetworkCategory Private\n";
}

}  // namespace tunaro::server
