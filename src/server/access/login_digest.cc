#include "server/access/login_digest.h"

#include <civetweb.h>

#include "server/access/login_file.h"

namespace tunaro::server {

std::string LoginDigestHex(const std::string& user, const std::string& password) {
  char md5[33];
  const std::string source = DigestSource(user, password);
  mg_md5(md5, source.c_str(), nullptr);
  return md5;
}

}  // namespace tunaro::server
