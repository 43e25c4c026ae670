#include "server/access/login_digest.h"

#include "server/access/login_file.h"
#include "server/access/md5.h"

namespace tunaro::server {

std::string LoginDigestHex(const std::string& user, const std::string& password) {
  return Md5Hex(DigestSource(user, password));
}

}  // namespace tunaro::server
