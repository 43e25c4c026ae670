// Which client addresses may use the server: a list of IPv4 and IPv6 ranges.
#ifndef TUNARO_SERVER_ACCESS_ADDRESS_ALLOW_H_
#define TUNARO_SERVER_ACCESS_ADDRESS_ALLOW_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tunaro::server {

struct AddressRange {
  bool v6 = false;
  std::array<std::uint8_t, 16> bytes{};  // IPv4 in the first 4
  int prefix_bits = 0;
};

// The home network: loopback, the private and link-local ranges, 100.64/10.
extern const char kHomeNetworks[];

// Reads a comma-separated list of addresses and CIDR ranges; on failure says
// why in *why. `ranges` may be null (only checking).
bool ParseAllowList(const std::string& text, std::vector<AddressRange>* ranges, std::string* why);

// Reads one textual address (IPv4 dotted, or IPv6 with ::, an embedded IPv4
// tail, and an optional %zone). IPv4-mapped IPv6 addresses count as IPv4.
bool ParseAddress(const std::string& text, AddressRange* address);

bool IsAllowed(const std::vector<AddressRange>& ranges, const std::string& client_address);

// The client's address as the log and the program are given it: the
// dual-stack socket reports an IPv4 client as ::ffff:a.b.c.d, shown as
// a.b.c.d.
std::string ClientAddressText(const std::string& socket_address);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_ADDRESS_ALLOW_H_
