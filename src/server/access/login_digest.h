// The MD5 of a login line, by CivetWeb's own mg_md5, so that the file holds
// exactly what CivetWeb compares with. Built into the exe only (CivetWeb is
// fetched for the Windows builds alone); the unit tests give the hex instead.
#ifndef TUNARO_SERVER_ACCESS_LOGIN_DIGEST_H_
#define TUNARO_SERVER_ACCESS_LOGIN_DIGEST_H_

#include <string>

namespace tunaro::server {

// md5(user:Tunaro:password) in lowercase hex, as LoginLine takes it.
std::string LoginDigestHex(const std::string& user, const std::string& password);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_LOGIN_DIGEST_H_
