// The login file beside the exe, tunaro-login.htdigest, in CivetWeb's digest
// form: one line "user:Tunaro:md5(user:Tunaro:password)" in lowercase hex.
#ifndef TUNARO_SERVER_ACCESS_LOGIN_FILE_H_
#define TUNARO_SERVER_ACCESS_LOGIN_FILE_H_

#include <string>

namespace tunaro::server {

extern const char kLoginFileName[];
extern const char kLoginRealm[];

// The text that the MD5 of a line is taken of.
std::string DigestSource(const std::string& user, const std::string& password);

std::string LoginLine(const std::string& user, const std::string& md5_hex);

// A user name the file and the browser's login can carry: 1 to 64 printable
// ASCII characters or UTF-8 bytes, no colon.
bool IsGoodUserName(const std::string& user);

// Checks the file's text: at least one line, each "user:Tunaro:<32 hex>"
// (CR LF or LF). On failure says which line and why in *why.
bool CheckLoginText(const std::string& text, std::string* why);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_LOGIN_FILE_H_
