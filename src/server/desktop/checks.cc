#include "server/desktop/checks.h"

#include <cstdio>

#include "base/text_rules.h"
#include "player/player_messages.h"
#include "server/desktop/elevated_commands.h"

namespace tunaro::server {
namespace {

constexpr int kWifiType = 71;

enum class Firewall { kAllowed, kOff, kBlocked, kMissing };

const char* ProfileName(int profile) {
  switch (profile) {
    case firewall_profile::kDomain:
      return "domain";
    case firewall_profile::kPrivate:
      return "private";
    default:
      return "public";
  }
}

// What the firewall does to the program on one profile. Windows lets a
// Block rule win over an Allow rule.
Firewall VerdictOn(const FirewallFacts& facts, int profile) {
  if ((facts.enabled_profiles & profile) == 0) return Firewall::kOff;
  bool allowed = false;
  for (const FirewallRule& rule : facts.rules) {
    if (!rule.inbound || !rule.enabled || (rule.profiles & profile) == 0) continue;
    if (!rule.allow) return Firewall::kBlocked;
    allowed = true;
  }
  return allowed ? Firewall::kAllowed : Firewall::kMissing;
}

CheckLine PlayerLine(const CheckFacts& facts) {
  CheckLine line{"Player", CheckState::kGood, "Winamp is running", "", {}};
  if (!facts.player_running) {
    line.state = CheckState::kWrong;
    line.status = "Winamp is not running";
    line.advice = "Start Winamp: the remote shows and controls its playlist.";
  }
  return line;
}

const ConnectedNetwork* NetworkOf(const std::vector<ConnectedNetwork>& networks,
                                  const std::string& adapter_id) {
  for (const ConnectedNetwork& network : networks) {
    for (const std::string& id : network.adapter_ids) {
      if (ToUpperText(id) == ToUpperText(adapter_id)) return &network;
    }
  }
  return nullptr;
}

CheckLine NetworkLine(const CheckFacts& facts) {
  CheckLine line{"Network", CheckState::kUnknown, "", "", {}};
  if (!facts.primary) {
    line.state = CheckState::kWrong;
    line.status = "no network address";
    line.advice = "Connect this PC to your home Wi-Fi or router.";
    return line;
  }
  const ConnectedNetwork* network =
      facts.networks ? NetworkOf(*facts.networks, facts.primary->adapter_id) : nullptr;
  if (network == nullptr) {
    line.status = facts.primary->adapter + ": Windows did not say its category";
    line.advice = "If the phone cannot connect, make sure this network is Private in Settings.";
    line.actions = {CheckAction::kOpenNetworkSettings};
    return line;
  }
  const std::string name = network->name.empty() ? facts.primary->adapter : network->name;
  switch (network->category) {
    case NetworkCategory::kPrivate:
      line.state = CheckState::kGood;
      line.status = name + ": Private";
      break;
    case NetworkCategory::kDomain:
      line.state = CheckState::kGood;
      line.status = name + ": Domain (a work network)";
      break;
    case NetworkCategory::kPublic:
      line.state = CheckState::kWrong;
      line.status = name + ": Public";
      line.advice =
          "Phones cannot connect while the network is Public: make it Private if it is your "
          "home network.";
      line.actions = {CheckAction::kMakeNetworkPrivate, CheckAction::kOpenNetworkSettings};
      break;
  }
  return line;
}

CheckLine FirewallLine(const CheckFacts& facts) {
  CheckLine line{"Firewall", CheckState::kUnknown, "", "", {CheckAction::kFixFirewall}};
  if (!facts.firewall || facts.firewall->current_profiles == 0) {
    line.status = "Windows did not say whether it lets phones in";
    line.advice = "If the phone cannot connect, press Allow (one administrator prompt).";
    return line;
  }
  const FirewallFacts& firewall = *facts.firewall;
  bool blocked = false, missing = false, all_off = true, on_public = false;
  std::string profiles;
  for (int profile :
       {firewall_profile::kDomain, firewall_profile::kPrivate, firewall_profile::kPublic}) {
    if ((firewall.current_profiles & profile) == 0) continue;
    const Firewall verdict = VerdictOn(firewall, profile);
    blocked = blocked || verdict == Firewall::kBlocked;
    missing = missing || verdict == Firewall::kMissing;
    all_off = all_off && verdict == Firewall::kOff;
    on_public = on_public || profile == firewall_profile::kPublic;
    profiles += std::string(profiles.empty() ? "" : " and ") + ProfileName(profile);
  }
  if (!blocked && !missing) {
    line.state = CheckState::kGood;
    line.status = all_off ? "off on the " + profiles + " network"
                          : "allows this program on the " + profiles + " network";
    line.actions.clear();
    return line;
  }
  line.state = CheckState::kWrong;
  line.status = blocked ? "blocks this program on the " + profiles + " network"
                        : "has no rule for this program on the " + profiles + " network";
  line.advice = on_public ? "Phones cannot connect: make the network Private (above), and press "
                            "Allow if this line stays red."
                          : "Phones cannot connect: press Allow to remove the block rules and "
                            "allow this program (one administrator prompt).";
  return line;
}

CheckLine PhoneLine(const CheckFacts& facts) {
  CheckLine line{"Phone",
                 CheckState::kWaiting,
                 "no other device has connected yet",
                 "Scan the QR code with your phone's camera.",
                 {}};
  if (facts.last_remote) {
    const RequestRecord& last = *facts.last_remote;
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", last.time.hour, last.time.minute,
                  last.time.second);
    line.state = CheckState::kGood;
    line.status = "last request " + std::string(time) + " from " + last.client + " (" +
                  std::to_string(last.status) + ")";
    line.advice.clear();
  }
  return line;
}

}  // namespace

CheckFacts GatherCheckFacts(ServerSystem& system, const std::optional<RankedAddress>& primary,
                            const std::optional<RequestRecord>& last_remote) {
  CheckFacts facts;
  facts.player_running = system.WindowOfClassExists(PlayerWindowClass);
  facts.primary = primary;
  facts.networks = system.ConnectedNetworks();
  facts.firewall = system.FirewallFor(system.ProgramPath());
  facts.last_remote = last_remote;
  return facts;
}

std::vector<CheckLine> BuildChecklist(const CheckFacts& facts) {
  return {PlayerLine(facts), NetworkLine(facts), FirewallLine(facts), PhoneLine(facts)};
}

std::string RunCheckAction(ServerSystem& system, CheckAction action, const CheckFacts& facts) {
  ElevatedStart started = ElevatedStart::kStarted;
  switch (action) {
    case CheckAction::kOpenNetworkSettings: {
      const bool wifi = facts.primary && facts.primary->type == kWifiType;
      const bool ethernet = facts.primary && !wifi;
      const char* page = wifi       ? "ms-settings:network-wifi"
                         : ethernet ? "ms-settings:network-ethernet"
                                    : "ms-settings:network-status";
      return system.OpenWithShell(page) ? "" : "Windows could not open its network settings.";
    }
    case CheckAction::kMakeNetworkPrivate:
      if (!facts.primary) return "There is no network to change.";
      started = system.RunElevated(
          kPowerShell, PowerShellParameters(MakePrivateScript(facts.primary->interface_index)));
      break;
    case CheckAction::kFixFirewall:
      started = system.RunElevated(kPowerShell,
                                   PowerShellParameters(FirewallFixScript(system.ProgramPath())));
      break;
  }
  switch (started) {
    case ElevatedStart::kStarted:
      return "";
    case ElevatedStart::kDeclined:
      return "Nothing was changed: the administrator prompt was declined.";
    case ElevatedStart::kFailed:
      break;
  }
  return "Windows could not start PowerShell as an administrator.";
}

const char* ActionCaption(CheckAction action) {
  switch (action) {
    case CheckAction::kMakeNetworkPrivate:
      return "Make it Private";
    case CheckAction::kOpenNetworkSettings:
      return "Network settings";
    case CheckAction::kFixFirewall:
      return "Allow";
  }
  return "";
}

}  // namespace tunaro::server
