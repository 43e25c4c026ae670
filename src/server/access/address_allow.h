// Which client addresses may use the server: a list of IPv4 and IPv6 ranges.
#ifndef TUNARO_SERVER_ACCESS_ADDRESS_ALLOW_H_
#define TUNARO_SERVER_ACCESS_ADDRESS_ALLOW_H_

#include <array>
#include <cstdint>
#include <optional>
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

// A list as the user gave it, read: the ranges, or what is wrong with it.
struct AllowList {
  std::vector<AddressRange> ranges;
  std::string error;  // empty when the list was read whole
};

// Reads a comma-separated list of addresses and CIDR ranges (blanks around an
// entry are allowed, an empty entry is not).
AllowList ParseAllowList(const std::string& text);

// Reads one textual address (IPv4 dotted, or IPv6 with ::, an embedded IPv4
// tail, and an optional %zone); nothing when the text is none. IPv4-mapped
// IPv6 addresses count as IPv4, so that the dual-stack socket's clients match
// the IPv4 ranges.
std::optional<AddressRange> ParseAddress(const std::string& text);

// False for a client address that cannot be read.
bool IsAllowed(const std::vector<AddressRange>& ranges, const std::string& client_address);

// The client's address as the log and the program are given it: the
// dual-stack socket reports an IPv4 client as ::ffff:a.b.c.d, shown as
// a.b.c.d.
std::string ClientAddressText(const std::string& socket_address);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_ADDRESS_ALLOW_H_
