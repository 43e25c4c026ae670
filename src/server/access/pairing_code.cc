#include "server/access/pairing_code.h"

#include <cstddef>

namespace tunaro::server {

const char kPairingAlphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";

namespace {

// Compares every character whatever the first difference, so that the time
// taken says nothing about how much of a guess was right.
bool SameCode(const std::string& a, const std::string& b) {
  if (a.size() != b.size() || a.empty()) return false;
  unsigned difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]);
  }
  return difference == 0;
}

}  // namespace

std::string PairingCodeOf(std::string_view five_bytes) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < 5 && i < five_bytes.size(); ++i) {
    bits = bits << 8 | static_cast<unsigned char>(five_bytes[i]);
  }
  std::string code;
  for (int i = kPairingCodeLength - 1; i >= 0; --i)
    code += kPairingAlphabet[(bits >> (5 * i)) & 31];
  return code;
}

std::optional<std::string> TypedPairingCode(std::string_view typed) {
  std::string code;
  for (char c : typed) {
    if (c == ' ' || c == '-' || c == '\t') continue;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (std::string_view(kPairingAlphabet).find(c) == std::string_view::npos ||
        code.size() == kPairingCodeLength) {
      return std::nullopt;
    }
    code += c;
  }
  if (code.size() != kPairingCodeLength) return std::nullopt;
  return code;
}

std::string ShownPairingCode(const std::string& code) {
  return code.size() == kPairingCodeLength ? code.substr(0, 4) + "-" + code.substr(4) : code;
}

std::string PairingLink(const std::string& host, int port, const std::string& code) {
  return "http://" + host + ":" + std::to_string(port) + "/pair#" + code;
}

PairingCodeKeeper::Code PairingCodeKeeper::Current() {
  const std::int64_t now = system_.UnixTime();
  // A clock set back by more than the lifetime counts as an expiry too.
  if (used_ || now >= code_.expires_at || now < code_.expires_at - kPairingCodeSeconds) {
    if (!code_.text.empty()) past_ = code_.text;
    code_.text = PairingCodeOf(system_.RandomBytes(5));
    code_.expires_at = now + kPairingCodeSeconds;
    used_ = false;
    ++generation_;
  }
  return code_;
}

CodeCheck PairingCodeKeeper::Check(std::string_view typed) {
  const std::string current = Current().text;
  const std::optional<std::string> code = TypedPairingCode(typed);
  if (!code) return CodeCheck::kWrong;
  if (SameCode(*code, current)) {
    used_ = true;
    Current();  // the next one at once, for the window to show
    return CodeCheck::kRight;
  }
  return SameCode(*code, past_) ? CodeCheck::kPast : CodeCheck::kWrong;
}

}  // namespace tunaro::server
