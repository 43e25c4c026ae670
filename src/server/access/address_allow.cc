#include "server/access/address_allow.h"

#include <cstddef>

namespace tunaro::server {

// Loopback, the private ranges of RFC 1918, link-local (a phone and a PC
// joined without a router), the shared range 100.64/10 (some providers'
// routers and mesh VPNs hand it out); for IPv6, loopback, unique local and
// link-local addresses.
const char kHomeNetworks[] =
    "127.0.0.0/8,10.0.0.0/8,172.16.0.0/12,192.168.0.0/16,169.254.0.0/16,100.64.0.0/10,"
    "::1,fc00::/7,fe80::/10";

namespace {

// Exactly four decimal parts of one to three digits. Stricter than
// inet_addr, which also reads "10.1" and "0x7f.1": a list must not let in
// more than it seems to say.
bool ParseV4(const std::string& text, std::uint8_t* out) {
  int part = 0;
  size_t i = 0;
  while (part < 4) {
    size_t digits = 0;
    int value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 3) {
      value = value * 10 + (text[i++] - '0');
      ++digits;
    }
    if (digits == 0 || value > 255) return false;
    out[part++] = static_cast<std::uint8_t>(value);
    if (part < 4) {
      if (i >= text.size() || text[i] != '.') return false;
      ++i;
    }
  }
  return i == text.size();
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Groups of up to four hex digits split at ':', the last group may be IPv4;
// `max_bytes` is what is left of the 16 for this side of a "::".
bool ParseV6Groups(const std::string& text, std::uint8_t* out, int* count, int max_bytes) {
  *count = 0;
  if (text.empty()) return true;
  size_t start = 0;
  while (true) {
    size_t end = text.find(':', start);
    std::string group = text.substr(start, end == std::string::npos ? end : end - start);
    if (end == std::string::npos && group.find('.') != std::string::npos) {
      if (*count + 4 > max_bytes || !ParseV4(group, out + *count)) return false;
      *count += 4;
      return true;
    }
    if (group.empty() || group.size() > 4 || *count + 2 > max_bytes) return false;
    int value = 0;
    for (char c : group) {
      int digit = HexValue(c);
      if (digit < 0) return false;
      value = value * 16 + digit;
    }
    out[(*count)++] = static_cast<std::uint8_t>(value >> 8);
    out[(*count)++] = static_cast<std::uint8_t>(value & 0xff);
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

// The groups before and after the one "::" are read apart, and the zeros it
// stands for fill the middle. A zone ("%12") names the interface of a
// link-local address, not another address: it is dropped.
bool ParseV6(std::string text, std::uint8_t* out) {
  size_t zone = text.find('%');
  if (zone != std::string::npos) text.resize(zone);
  size_t gap = text.find("::");
  std::uint8_t head[16] = {}, tail[16] = {};
  int head_count = 0, tail_count = 0;
  if (gap == std::string::npos) {
    if (!ParseV6Groups(text, head, &head_count, 16) || head_count != 16) return false;
  } else {
    if (text.find("::", gap + 1) != std::string::npos) return false;
    if (!ParseV6Groups(text.substr(0, gap), head, &head_count, 14) ||
        !ParseV6Groups(text.substr(gap + 2), tail, &tail_count, 14 - head_count)) {
      return false;
    }
  }
  for (int i = 0; i < 16; ++i) out[i] = 0;
  for (int i = 0; i < head_count; ++i) out[i] = head[i];
  for (int i = 0; i < tail_count; ++i) out[16 - tail_count + i] = tail[i];
  return true;
}

// The first prefix_bits bits agree: whole bytes, then the last one masked.
bool Matches(const AddressRange& range, const AddressRange& address) {
  if (range.v6 != address.v6) return false;
  int bits = range.prefix_bits;
  for (int i = 0; bits > 0; ++i, bits -= 8) {
    std::uint8_t mask = bits >= 8 ? 0xff : static_cast<std::uint8_t>(0xff << (8 - bits));
    if ((range.bytes[i] & mask) != (address.bytes[i] & mask)) return false;
  }
  return true;
}

}  // namespace

std::optional<AddressRange> ParseAddress(const std::string& text) {
  AddressRange result;
  if (text.find(':') == std::string::npos) {
    if (!ParseV4(text, result.bytes.data())) return std::nullopt;
    result.prefix_bits = 32;
    return result;
  }
  if (!ParseV6(text, result.bytes.data())) return std::nullopt;
  result.v6 = true;
  result.prefix_bits = 128;
  static const std::uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
  bool mapped = true;
  for (int i = 0; i < 12; ++i) mapped = mapped && result.bytes[i] == kMapped[i];
  if (mapped) {
    for (int i = 0; i < 4; ++i) result.bytes[i] = result.bytes[12 + i];
    for (int i = 4; i < 16; ++i) result.bytes[i] = 0;
    result.v6 = false;
    result.prefix_bits = 32;
  }
  return result;
}

AllowList ParseAllowList(const std::string& text) {
  AllowList list;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string item = text.substr(start, end - start);
    start = end + 1;
    while (!item.empty() && item.front() == ' ') item.erase(0, 1);
    while (!item.empty() && item.back() == ' ') item.pop_back();
    if (item.empty()) return AllowList{{}, "an empty entry in \"" + text + "\""};
    size_t slash = item.find('/');
    std::optional<AddressRange> range = ParseAddress(item.substr(0, slash));
    if (!range) return AllowList{{}, "\"" + item + "\" is not an IPv4 or IPv6 address or range"};
    if (slash != std::string::npos) {
      std::string bits = item.substr(slash + 1);
      int value = 0;
      bool ok = !bits.empty() && bits.size() <= 3;
      for (char c : bits) {
        ok = ok && c >= '0' && c <= '9';
        value = value * 10 + (c - '0');
      }
      // A mapped IPv6 range (::ffff:10.0.0.0/104) keeps its meaning for the
      // IPv4 part it was read as.
      int limit = range->v6 ? 128 : 32;
      if (ok && !range->v6 && item.find(':') != std::string::npos) value -= 96;
      if (!ok || value < 0 || value > limit) {
        return AllowList{{}, "\"" + item + "\" has a bad prefix length"};
      }
      range->prefix_bits = value;
    }
    list.ranges.push_back(*range);
  }
  return list;
}

bool IsAllowed(const std::vector<AddressRange>& ranges, const std::string& client_address) {
  const std::optional<AddressRange> address = ParseAddress(client_address);
  if (!address) return false;
  for (const AddressRange& range : ranges) {
    if (Matches(range, *address)) return true;
  }
  return false;
}

std::string ClientAddressText(const std::string& socket_address) {
  const bool mapped_ipv4 =
      socket_address.rfind("::ffff:", 0) == 0 && socket_address.find(':', 7) == std::string::npos;
  return mapped_ipv4 ? socket_address.substr(7) : socket_address;
}

}  // namespace tunaro::server
