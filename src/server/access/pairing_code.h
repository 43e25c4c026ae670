// The one-time pairing code: 8 characters of an alphabet without look-alikes
// (32 of them, 5 bits each: 40 bits), shown on the PC, good for 10 minutes or
// one device, then replaced. A phone that brings it gets a device cookie.
#ifndef TUNARO_SERVER_ACCESS_PAIRING_CODE_H_
#define TUNARO_SERVER_ACCESS_PAIRING_CODE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "server/system/server_system.h"

namespace tunaro::server {

// Digits and capitals without 0, 1, O and I, which read as one another.
extern const char kPairingAlphabet[];
constexpr int kPairingCodeLength = 8;
constexpr std::int64_t kPairingCodeSeconds = 10 * 60;

// The code that five random bytes spell, 5 bits to a character.
std::string PairingCodeOf(std::string_view five_bytes);

// A code as typed: letters of either case, blanks and '-' between groups
// allowed. The code's 8 characters, or nothing when it is not one.
std::optional<std::string> TypedPairingCode(std::string_view typed);

// "ABCD-EFGH": easier to read out and type than eight in a row.
std::string ShownPairingCode(const std::string& code);

// What the QR code carries: the pairing page of this address with the code in
// the fragment, which a browser never sends, so it reaches no log and no
// Referer. `host` is an IPv4 address (or a name).
std::string PairingLink(const std::string& host, int port, const std::string& code);

enum class CodeCheck {
  kRight,  // the current code: it is used up now
  kPast,   // an earlier code of this run: used, or expired
  kWrong,  // any other text
};

class PairingCodeKeeper {
 public:
  struct Code {
    std::string text;
    std::int64_t expires_at = 0;  // UnixTime() seconds
  };

  explicit PairingCodeKeeper(ServerSystem& system) : system_(system) {}

  // The code now: a new one when there is none yet, or the last one was used
  // or is 10 minutes old.
  Code Current();
  CodeCheck Check(std::string_view typed);
  // Grows with each new code, so that whoever shows the code knows to redraw.
  std::uint64_t generation() const { return generation_; }

 private:
  ServerSystem& system_;
  Code code_;
  bool used_ = true;  // none yet
  std::string past_;  // the code before, to tell "expired or used" from "wrong"
  std::uint64_t generation_ = 0;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_PAIRING_CODE_H_
