// The MD5 of a login line, as the login file holds it and the digest check
// compares with.
#ifndef TUNARO_SERVER_ACCESS_LOGIN_DIGEST_H_
#define TUNARO_SERVER_ACCESS_LOGIN_DIGEST_H_

#include <string>

namespace tunaro::server {

// md5(user:Tunaro:password) in lowercase hex, as LoginLine takes it.
std::string LoginDigestHex(const std::string& user, const std::string& password);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_LOGIN_DIGEST_H_
