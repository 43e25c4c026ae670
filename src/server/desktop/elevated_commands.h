// The changes the window's buttons make as an administrator, through one
// elevation prompt (UAC) each: PowerShell scripts, handed over encoded so
// that no path or name needs quoting on a command line. --firewall-help
// prints the same lines for the user to run by hand.
#ifndef TUNARO_SERVER_DESKTOP_ELEVATED_COMMANDS_H_
#define TUNARO_SERVER_DESKTOP_ELEVATED_COMMANDS_H_

#include <string>

namespace tunaro::server {

extern const char kPowerShell[];  // "powershell.exe"

// `text` as a PowerShell string in single quotes, its quotes doubled.
std::string PowerShellQuoted(const std::string& text);

// Removes every inbound Block rule for a program of this one's file name (a
// dismissed prompt leaves them, for any copy of it), and our own earlier
// allow rule, then allows `program` on private and domain networks.
std::string FirewallFixScript(const std::string& program);

// Makes the network of the adapter with this interface index Private.
std::string MakePrivateScript(int interface_index);

// powershell.exe's parameters that run `script` (UTF-8) hidden:
// -EncodedCommand with the script as base64 of its UTF-16LE.
std::string PowerShellParameters(const std::string& script);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_ELEVATED_COMMANDS_H_
