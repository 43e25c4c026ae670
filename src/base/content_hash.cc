#include "base/content_hash.h"

#include <cstring>

namespace tunaro {
namespace {

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;  // 2^64 / golden ratio, odd

// Spreads every bit of the input over the whole word (the finish of splitmix64).
std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9u;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBu;
  return x ^ (x >> 31);
}

}  // namespace

std::uint64_t ContentHash(std::string_view bytes) {
  // Two lanes, so one multiply does not wait for the one before it.
  std::uint64_t a = 0x243F6A8885A308D3u ^ bytes.size();
  std::uint64_t b = 0x13198A2E03707344u;
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  for (; left >= 16; p += 16, left -= 16) {
    std::uint64_t x;
    std::uint64_t y;
    std::memcpy(&x, p, 8);
    std::memcpy(&y, p + 8, 8);
    a = (a ^ x) * kMultiplier;
    a ^= a >> 32;
    b = (b ^ y) * kMultiplier;
    b ^= b >> 32;
  }
  std::uint64_t tail = 0;
  for (std::size_t i = 0; i < left; ++i) {
    tail |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * (i % 8));
    if (i == 7) {
      a = (a ^ tail) * kMultiplier;
      a ^= a >> 32;
      tail = 0;
    }
  }
  b = (b ^ tail ^ (static_cast<std::uint64_t>(left) << 56)) * kMultiplier;
  return Mix(a ^ Mix(b));
}

std::string HashText(std::uint64_t hash) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) text[static_cast<std::size_t>(i)] = kDigits[hash & 15];
  return text;
}

}  // namespace tunaro
