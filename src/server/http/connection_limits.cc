#include "server/http/connection_limits.h"

#include <cstdio>

namespace tunaro::server {
namespace {

// The range's bytes with the bits past its prefix cleared.
std::array<std::uint8_t, 16> Masked(const AddressRange& range) {
  std::array<std::uint8_t, 16> bytes = range.bytes;
  const int size = range.v6 ? 16 : 4;
  for (int i = 0; i < size; ++i) {
    const int kept = range.prefix_bits - 8 * i;
    if (kept >= 8) continue;
    bytes[i] = kept <= 0 ? 0 : static_cast<std::uint8_t>(bytes[i] & (0xff << (8 - kept)));
  }
  return bytes;
}

// Eight groups of hex, no "::": CivetWeb hands the text to inet_pton as it is.
std::string Ipv6Text(const std::array<std::uint8_t, 16>& bytes) {
  std::string text;
  for (int i = 0; i < 16; i += 2) {
    char group[8];
    std::snprintf(group, sizeof group, "%s%x", i == 0 ? "" : ":", bytes[i] << 8 | bytes[i + 1]);
    text += group;
  }
  return text;
}

}  // namespace

std::string CivetAccessList(const std::vector<AddressRange>& ranges) {
  // CivetWeb refuses every address that no entry allows.
  std::string list;
  for (const AddressRange& range : ranges) {
    const std::array<std::uint8_t, 16> bytes = Masked(range);
    if (!list.empty()) list += ",";
    if (range.v6) {
      list += "+[" + Ipv6Text(bytes) + "]/" + std::to_string(range.prefix_bits);
      continue;
    }
    list += "+" + std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
            std::to_string(bytes[2]) + "." + std::to_string(bytes[3]) + "/" +
            std::to_string(range.prefix_bits);
    std::array<std::uint8_t, 16> mapped{};
    mapped[10] = mapped[11] = 0xff;
    for (int i = 0; i < 4; ++i) mapped[12 + i] = bytes[i];
    list += ",+[" + Ipv6Text(mapped) + "]/" + std::to_string(96 + range.prefix_bits);
  }
  return list;
}

ClientKey ClientKeyOfIpv4(const std::uint8_t (&bytes)[4]) {
  ClientKey key{};
  key[10] = key[11] = 0xff;
  for (int i = 0; i < 4; ++i) key[12 + i] = bytes[i];
  return key;
}

bool ConnectionCap::Admit(std::uintptr_t socket, const ClientKey& client) {
  int& open = per_client_open_[client];
  if (open >= per_client_) {
    if (open == 0) per_client_open_.erase(client);
    return false;
  }
  ++open;
  sockets_[socket] = client;
  return true;
}

void ConnectionCap::Release(std::uintptr_t socket) {
  const auto found = sockets_.find(socket);
  if (found == sockets_.end()) return;
  const auto open = per_client_open_.find(found->second);
  if (open != per_client_open_.end() && --open->second <= 0) per_client_open_.erase(open);
  sockets_.erase(found);
}

int ConnectionCap::OpenFrom(const ClientKey& client) const {
  const auto open = per_client_open_.find(client);
  return open == per_client_open_.end() ? 0 : open->second;
}

}  // namespace tunaro::server
