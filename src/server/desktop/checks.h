// The window's checklist: is the player running, is the network Private,
// does the firewall let phones in, has another device reached the server.
// Built from facts the seam gathers, so that each state can be tried with
// the fake; each wrong line says what to do in one sentence, with the
// buttons Windows allows.
#ifndef TUNARO_SERVER_DESKTOP_CHECKS_H_
#define TUNARO_SERVER_DESKTOP_CHECKS_H_

#include <optional>
#include <string>
#include <vector>

#include "server/desktop/server_addresses.h"
#include "server/http/request_log.h"
#include "server/system/server_system.h"

namespace tunaro::server {

enum class CheckState { kGood, kWrong, kUnknown, kWaiting };

enum class CheckAction {
  kMakeNetworkPrivate,   // Set-NetConnectionProfile, elevated
  kOpenNetworkSettings,  // the Settings page of the network
  kFixFirewall,          // FirewallFixScript, elevated
};

struct CheckLine {
  std::string label;  // "Player", "Network", "Firewall", "Phone"
  CheckState state = CheckState::kUnknown;
  std::string status;  // what was found, short
  std::string advice;  // one sentence of what to do; empty when nothing
  std::vector<CheckAction> actions;
};

// What the checks look at, gathered through the seam.
struct CheckFacts {
  bool player_running = false;
  std::optional<RankedAddress> primary;  // the address the QR code carries
  std::optional<std::vector<ConnectedNetwork>> networks;
  std::optional<FirewallFacts> firewall;
  std::optional<RequestRecord> last_remote;
};

CheckFacts GatherCheckFacts(ServerSystem& system, const std::optional<RankedAddress>& primary,
                            const std::optional<RequestRecord>& last_remote);

std::vector<CheckLine> BuildChecklist(const CheckFacts& facts);

// Carries out a button's action: an elevated PowerShell, or a settings page.
// Returns a sentence for the window when it did not start, else empty.
std::string RunCheckAction(ServerSystem& system, CheckAction action, const CheckFacts& facts);

// The caption of a button.
const char* ActionCaption(CheckAction action);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_CHECKS_H_
