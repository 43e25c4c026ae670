// MD5, for HTTP digest logins alone: the digest scheme and the login file
// (user:Tunaro:md5(user:Tunaro:password)) are defined on it. Not for anything
// new: tokens are hashed with SHA-256 (sha256.h).
#ifndef TUNARO_SERVER_ACCESS_MD5_H_
#define TUNARO_SERVER_ACCESS_MD5_H_

#include <string>
#include <string_view>

namespace tunaro::server {

// The 32 lowercase hex digits of the MD5 of `bytes`.
std::string Md5Hex(std::string_view bytes);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_MD5_H_
