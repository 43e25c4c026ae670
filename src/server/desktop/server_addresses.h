// The addresses a phone is to open, best first. A phone on the home Wi-Fi
// reaches the PC by the IPv4 address of the adapter that leads to the home
// router; Android does not look up bare Windows names, and iPhones only now
// and then, so the computer's name comes last.
#ifndef TUNARO_SERVER_DESKTOP_SERVER_ADDRESSES_H_
#define TUNARO_SERVER_DESKTOP_SERVER_ADDRESSES_H_

#include <string>
#include <vector>

#include "server/system/server_system.h"

namespace tunaro::server {

// One IPv4 address of an adapter, as the window lists it.
struct RankedAddress {
  std::string url;      // "http://192.168.1.20:8080/"
  std::string ipv4;     // "192.168.1.20"
  std::string adapter;  // the adapter's name: "Wi-Fi"
  std::string adapter_id;
  int interface_index = 0;
  int type = 0;  // the adapter's interface type
  bool virtual_adapter = false;
};

// A virtual machine's, a container's or a VPN's adapter (Hyper-V, WSL,
// VirtualBox, VMware, tunnels), by its interface type or its driver's name:
// a phone on the Wi-Fi cannot reach its addresses.
bool IsVirtualAdapter(const NetworkAdapter& adapter);

// Every IPv4 address of an adapter that is up: the one with the default
// gateway first, then the others by adapter name, virtual adapters after
// the real ones. Never loopback (127/8) or link-local (169.254/16), which no
// phone on the network can reach.
std::vector<RankedAddress> RankAddresses(const std::vector<NetworkAdapter>& adapters, int port);

// The addresses the console prints: the ranked ones, then "http://NAME:port/"
// (the computer's name, "localhost" when the system will not say it).
std::vector<std::string> ServerAddresses(ServerSystem& system, int port);

// The host the pairing QR code names: the best of RankAddresses (a phone
// reaches an address where a name may not resolve), else the computer's
// name, else "localhost".
std::string PairingHost(ServerSystem& system);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_SERVER_ADDRESSES_H_
