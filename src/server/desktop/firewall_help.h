// What --firewall-help prints: the PowerShell lines an administrator runs when
// the firewall's prompt was dismissed or never came.
#ifndef TUNARO_SERVER_DESKTOP_FIREWALL_HELP_H_
#define TUNARO_SERVER_DESKTOP_FIREWALL_HELP_H_

#include <string>

namespace tunaro::server {

// `program` is the exe's full path, which the firewall's rules name.
std::string FirewallHelpText(const std::string& program);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_FIREWALL_HELP_H_
