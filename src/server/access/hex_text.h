// Bytes as lowercase hex digits and back: tokens, nonces and digests travel
// and are stored so.
#ifndef TUNARO_SERVER_ACCESS_HEX_TEXT_H_
#define TUNARO_SERVER_ACCESS_HEX_TEXT_H_

#include <optional>
#include <string>
#include <string_view>

namespace tunaro::server {

std::string HexText(std::string_view bytes);

// The bytes of an even number of hex digits (either letter case); nothing
// for any other text.
std::optional<std::string> BytesFromHex(std::string_view text);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_HEX_TEXT_H_
