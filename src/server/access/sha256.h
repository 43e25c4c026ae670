// SHA-256 (FIPS 180-4): what the devices file keeps of each device's token,
// so that the file alone lets no one in.
#ifndef TUNARO_SERVER_ACCESS_SHA256_H_
#define TUNARO_SERVER_ACCESS_SHA256_H_

#include <string>
#include <string_view>

namespace tunaro::server {

// The 64 lowercase hex digits of the SHA-256 of `bytes`.
std::string Sha256Hex(std::string_view bytes);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_SHA256_H_
