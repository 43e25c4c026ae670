#include "server/access/login_file.h"

#include <cstddef>

namespace tunaro::server {

const char kLoginFileName[] = "tunaro-login.htdigest";
const char kLoginRealm[] = "Tunaro";

std::string DigestSource(const std::string& user, const std::string& password) {
  return user + ":" + kLoginRealm + ":" + password;
}

std::string LoginLine(const std::string& user, const std::string& md5_hex) {
  return user + ":" + kLoginRealm + ":" + md5_hex + "\r\n";
}

bool IsGoodUserName(const std::string& user) {
  if (user.empty() || user.size() > 64) return false;
  for (unsigned char c : user) {
    if (c < 0x20 || c == 0x7f || c == ':' || c == '"') return false;
  }
  return true;
}

bool CheckLoginText(const std::string& text, std::string* why) {
  int line_number = 0;
  int logins = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::string where = "line " + std::to_string(line_number);
    size_t first = line.find(':');
    size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) {
      *why = where + " is not user:" + std::string(kLoginRealm) + ":digest";
      return false;
    }
    if (!IsGoodUserName(line.substr(0, first))) {
      *why = where + " has an unusable user name";
      return false;
    }
    if (line.substr(first + 1, second - first - 1) != kLoginRealm) {
      *why = where + " is not for the realm " + std::string(kLoginRealm);
      return false;
    }
    std::string digest = line.substr(second + 1);
    bool hex = digest.size() == 32;
    for (char c : digest) hex = hex && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'));
    if (!hex) {
      *why = where + " has no 32-digit digest";
      return false;
    }
    ++logins;
  }
  if (logins == 0) {
    *why = "it holds no login";
    return false;
  }
  return true;
}

}  // namespace tunaro::server
