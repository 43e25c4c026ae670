#include "server/desktop/pairing_text.h"

#include <cstdio>
#include <vector>

#include "server/access/pairing_code.h"
#include "server/desktop/big_letters.h"
#include "server/desktop/qr_text.h"

namespace tunaro::server {

namespace {
constexpr char kFullBlock[] = "\xe2\x96\x88";  // U+2588, UTF-8
}  // namespace

std::string PairingCodeUntil(const TimeOfDay& now, std::int64_t seconds_left) {
  // The end rounded up to the minute, so that "until" is never early.
  const std::int64_t end_minutes =
      (now.hour * 3600 + now.minute * 60 + now.second + seconds_left + 59) / 60;
  char until[8];
  std::snprintf(until, sizeof until, "%02d:%02d", static_cast<int>(end_minutes / 60 % 24),
                static_cast<int>(end_minutes % 60));
  return until;
}

std::string PairingCodeText(const std::string& code, const TimeOfDay& now,
                            std::int64_t seconds_left, const std::string& link,
                            unsigned code_page) {
  const bool ascii = ConsoleNeedsAsciiQr(code_page);
  const std::string until = PairingCodeUntil(now, seconds_left);
  const std::string shown = ShownPairingCode(code);
  std::string text = "\nPairing code: " + shown + " (until " + until + ", for one phone)\n\n";
  for (std::string line : BigLetterLines(shown)) {
    for (std::size_t at; ascii && (at = line.find(kFullBlock)) != std::string::npos;) {
      line.replace(at, sizeof kFullBlock - 1, "#");
    }
    text += "  " + line + "\n";
  }
  text += "\nPair a phone: scan the QR code, or open " + link.substr(0, link.find('#')) +
          " and type the code.\nPairing address: " + link + "\n";
  return text;
}

}  // namespace tunaro::server
