// What the console shows of the pairing code: the code in large letters and
// as text, until when it is good, and the address the QR code carries, so
// that it can be typed too.
#ifndef TUNARO_SERVER_DESKTOP_PAIRING_TEXT_H_
#define TUNARO_SERVER_DESKTOP_PAIRING_TEXT_H_

#include <cstdint>
#include <string>

#include "server/system/server_system.h"

namespace tunaro::server {

// "hh:mm", the end of a code's life: `now` is the local time of day,
// `seconds_left` the code's life from now.
std::string PairingCodeUntil(const TimeOfDay& now, std::int64_t seconds_left);

// `now` is the local time of day, `seconds_left` the code's life from now,
// `link` its PairingLink. On a console of a double-byte code page
// (`code_page`, 0 for none) the large letters are drawn with '#', as those
// consoles draw a block twice as wide.
std::string PairingCodeText(const std::string& code, const TimeOfDay& now,
                            std::int64_t seconds_left, const std::string& link,
                            unsigned code_page = 0);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_PAIRING_TEXT_H_
