#include "server/desktop/server_addresses.h"

#include <algorithm>

#include "base/text_rules.h"

namespace tunaro::server {
namespace {

// IANA interface types that never face the home network directly.
constexpr int kPppType = 23;
constexpr int kPropVirtualType = 53;
constexpr int kTunnelType = 131;

bool Unreachable(const std::string& address) {
  return address.rfind("127.", 0) == 0 || address.rfind("169.254.", 0) == 0 || address == "0.0.0.0";
}

}  // namespace

bool IsVirtualAdapter(const NetworkAdapter& adapter) {
  if (adapter.type == kPppType || adapter.type == kPropVirtualType || adapter.type == kTunnelType) {
    return true;
  }
  const std::string words = ToLowerText(adapter.name + " " + adapter.description);
  for (const char* mark :
       {"hyper-v", "vethernet", "wsl", "virtualbox", "vmware", "virtual", "vpn", "tap-windows",
        "wintun", "wireguard", "tailscale", "zerotier", "docker", "loopback", "npcap"}) {
    if (words.find(mark) != std::string::npos) return true;
  }
  return false;
}

std::vector<RankedAddress> RankAddresses(const std::vector<NetworkAdapter>& adapters, int port) {
  struct Candidate {
    RankedAddress address;
    bool gateway;
  };
  std::vector<Candidate> found;
  for (const NetworkAdapter& adapter : adapters) {
    if (!adapter.up || adapter.loopback) continue;
    const bool virtual_adapter = IsVirtualAdapter(adapter);
    for (const std::string& ipv4 : adapter.ipv4) {
      if (Unreachable(ipv4)) continue;
      RankedAddress address{"http://" + ipv4 + ":" + std::to_string(port) + "/",
                            ipv4,
                            adapter.name,
                            adapter.id,
                            adapter.interface_index,
                            adapter.type,
                            virtual_adapter};
      found.push_back({address, adapter.has_gateway});
    }
  }
  // Real before virtual, then the way to the router first, then by name;
  // an adapter's own addresses stay in the system's order.
  std::stable_sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
    if (a.address.virtual_adapter != b.address.virtual_adapter) return !a.address.virtual_adapter;
    if (a.gateway != b.gateway) return a.gateway;
    return ToLowerText(a.address.adapter) < ToLowerText(b.address.adapter);
  });
  std::vector<RankedAddress> ranked;
  for (const Candidate& candidate : found) ranked.push_back(candidate.address);
  return ranked;
}

std::vector<std::string> ServerAddresses(ServerSystem& system, int port) {
  std::vector<std::string> addresses;
  for (const RankedAddress& address : RankAddresses(system.NetworkAdapters(), port)) {
    addresses.push_back(address.url);
  }
  std::string name = system.ComputerName();
  if (name.empty()) name = "localhost";
  addresses.push_back("http://" + name + ":" + std::to_string(port) + "/");
  return addresses;
}

std::string PairingHost(ServerSystem& system) {
  const std::vector<RankedAddress> ranked = RankAddresses(system.NetworkAdapters(), 0);
  if (!ranked.empty()) return ranked.front().ipv4;
  const std::string name = system.ComputerName();
  return name.empty() ? "localhost" : name;
}

}  // namespace tunaro::server
