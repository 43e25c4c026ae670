#include "server/desktop/server_addresses.h"

namespace tunaro::server {

std::vector<std::string> ServerAddresses(ServerSystem& system, int port) {
  const std::string tail = ":" + std::to_string(port) + "/";
  std::string name = system.ComputerName();
  if (name.empty()) name = "localhost";
  std::vector<std::string> addresses = {"http://" + name + tail};
  for (const NetworkAdapter& adapter : system.NetworkAdapters()) {
    if (!adapter.up || adapter.loopback) continue;
    for (const std::string& address : adapter.ipv4) {
      // 127/8 reaches this computer alone, whichever adapter holds it.
      if (address.rfind("127.", 0) == 0) continue;
      addresses.push_back("http://" + address + tail);
    }
  }
  return addresses;
}

std::string PairingHost(ServerSystem& system) {
  for (const NetworkAdapter& adapter : system.NetworkAdapters()) {
    if (!adapter.up || adapter.loopback) continue;
    for (const std::string& address : adapter.ipv4) {
      if (address.rfind("127.", 0) != 0) return address;
    }
  }
  const std::string name = system.ComputerName();
  return name.empty() ? "localhost" : name;
}

}  // namespace tunaro::server
